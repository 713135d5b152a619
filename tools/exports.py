#!/usr/bin/env python3
"""The export table and what is made from it.

  exports.py def                 print the module-definition file (vorskel.def)
  exports.py def-decorated       print a .def with Name@N entries, for the i686 import library
  exports.py version-script      print the ELF symbol version script (exports only, rest local)
  exports.py client-source       print a C/C++ host that takes the address of every export
  exports.py check [--header H] [--def D] [--library L] [--pe-dll DLL --objdump OBJDUMP]
                   [--pe-imports-only DLL,DLL,...] [--pe-client EXE]
                   [--stdcall-archive A --nm NM]
                                 check that table, header, .def and built libraries agree
  exports.py calls [--root DIR]  fail if library code (src/ by default) names an export
                                 anywhere but in its own definition
"""
import argparse
import pathlib
import re
import subprocess
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent
TABLE = ROOT / "src" / "exports" / "exports.txt"


def read_table(path=TABLE):
    """Returns [(name, arg_bytes)] in table order."""
    rows = []
    for line in path.read_text().splitlines():
        line = line.split("#", 1)[0].strip()
        if not line or line.startswith("["):
            continue
        name, nbytes = line.split()
        rows.append((name, int(nbytes)))
    names = [n for n, _ in rows]
    dupes = {n for n in names if names.count(n) > 1}
    if dupes:
        sys.exit(f"exports.txt lists twice: {sorted(dupes)}")
    return rows


def make_def(rows, decorated=False):
    out = ["LIBRARY vorskel", "EXPORTS"]
    for name, nbytes in rows:
        out.append(f"    {name}@{nbytes}" if decorated else f"    {name}")
    return "\n".join(out) + "\n"


def make_version_script(rows):
    body = "".join(f"    {name};\n" for name, _ in rows)
    return "{\n  global:\n" + body + "  local:\n    *;\n};\n"


DECL = re.compile(r"VORSKEL_API\s+[^;{]*?VORSKEL_CALL\s+(\w+)\s*\(([^)]*)\)\s*;", re.S)


STRUCT_TYPEDEF = re.compile(r"typedef\s+struct\s+\w*\s*\{.*?\}\s*(\w+)\s*;", re.S)


def read_header(path):
    """Returns {name: (arg_bytes, exact)} of every export the header declares. exact is False
    when a structure travels by value: its size is not known here, so the table's count
    (at least 4 bytes an argument) is trusted, and the 32-bit Windows build checks it against
    the compiled stdcall symbols (_Name@N, --stdcall-archive)."""
    text = re.sub(r"/\*.*?\*/", "", pathlib.Path(path).read_text(), flags=re.S)
    structs = set(STRUCT_TYPEDEF.findall(text))
    decls = {}
    for m in DECL.finditer(text):
        args = m.group(2).strip()
        params = [] if args in ("", "void") else [a.strip() for a in args.split(",")]
        by_value = any("*" not in p and p.split()[-2:-1] and
                       p.replace("const ", "").split()[0] in structs for p in params)
        if m.group(1) in decls:
            sys.exit(f"header declares {m.group(1)} twice")
        decls[m.group(1)] = (4 * len(params), not by_value)
    return decls


def elf_exports(library):
    out = subprocess.run(["nm", "-D", "--defined-only", library], check=True,
                         capture_output=True, text=True).stdout
    names = set()
    for line in out.splitlines():
        parts = line.split()
        if len(parts) >= 3 and parts[1] in "TtWwDdBbRrVviI":
            names.add(parts[2].split("@")[0])
    return names


def pe_exports(dll, objdump):
    out = subprocess.run([objdump, "-p", dll], check=True, capture_output=True, text=True).stdout
    names, inside = set(), False
    for line in out.splitlines():
        if "[Ordinal/Name Pointer] Table" in line:
            inside = True
            continue
        if inside:
            m = re.match(r"\s*\[\s*\d+\]\s+(\S+)", line)
            if m:
                names.add(m.group(1))
            elif line.strip() == "" and names:
                break
    return names


def pe_imports(image, objdump):
    """Returns {dll name: [imported names]} from a PE image's import tables."""
    out = subprocess.run([objdump, "-p", image], check=True, capture_output=True, text=True).stdout
    imports, current = {}, None
    for line in out.splitlines():
        m = re.match(r"\s*DLL Name:\s*(\S+)", line)
        if m:
            current = imports.setdefault(m.group(1), [])
            continue
        if current is not None:
            m = re.match(r"\s*[0-9a-fA-F]+\s+\d+\s+(\S+)\s*$", line)
            if m:
                current.append(m.group(1))
            elif line.strip() == "" and current:
                current = None
    return imports


def stdcall_definitions(archive, nm):
    """Returns {name: arg_bytes} of the i686 stdcall symbols (_Name@N) an archive defines."""
    out = subprocess.run([nm, "--defined-only", archive], check=True, capture_output=True,
                         text=True).stdout
    found = {}
    for line in out.splitlines():
        parts = line.split()
        if len(parts) == 3 and parts[1] == "T":
            m = re.fullmatch(r"_(\w+)@(\d+)", parts[2])
            if m:
                found[m.group(1)] = int(m.group(2))
    return found


def make_client_source(rows):
    """A host that links every export through the import library, as C or as C++."""
    out = ["/* Generated by tools/exports.py client-source: takes the address of every export,",
           " * so linking it proves the import library resolves each name the header declares. */",
           "#include <stdio.h>", "", '#include "vorskel.h"', "",
           "typedef void (*any_function)(void);", "",
           "int main(void) {",
           "  /* A local array: a DLL import's address is known only at run time. */",
           "  const any_function all_exports[] = {"]
    out += [f"      (any_function)&{name}," for name, _ in rows]
    out += ["  };", "  size_t i, linked = 0;",
            "  for (i = 0; i < sizeof all_exports / sizeof all_exports[0]; ++i)",
            "    if (all_exports[i] != NULL) ++linked;",
            '  printf("%u exports linked\\n", (unsigned)linked);',
            "  return linked == sizeof all_exports / sizeof all_exports[0] ? 0 : 1;", "}"]
    return "\n".join(out) + "\n"


def compare(what, expected, actual, problems):
    missing, extra = sorted(expected - actual), sorted(actual - expected)
    if missing:
        problems.append(f"{what} lacks: {', '.join(missing)}")
    if extra:
        problems.append(f"{what} has extra: {', '.join(extra)}")


def check(args):
    rows = read_table()
    table = {n for n, _ in rows}
    problems = []
    if args.header:
        decls = read_header(args.header)
        compare("header", table, set(decls), problems)
        for name, nbytes in rows:
            if name not in decls:
                continue
            declared, exact = decls[name]
            if (exact and declared != nbytes) or (not exact and nbytes <= declared):
                problems.append(f"{name}: table says {nbytes} argument bytes, header {declared}"
                                f"{'' if exact else ' plus a structure by value'}")
    if args.def_file:
        current = pathlib.Path(args.def_file).read_text()
        if current != make_def(rows):
            problems.append(f"{args.def_file} is stale: run tools/exports.py def > {args.def_file}")
    if args.library:
        exported = elf_exports(args.library)
        compare(args.library, table, exported, problems)
        mangled = sorted(n for n in exported if n.startswith("_Z"))
        if mangled:
            problems.append(f"mangled symbols exported: {mangled[:5]}")
    if args.pe_dll:
        compare(args.pe_dll, table, pe_exports(args.pe_dll, args.objdump), problems)
        if args.pe_imports_only:
            allowed = {d.lower() for d in args.pe_imports_only.split(",")}
            used = set(pe_imports(args.pe_dll, args.objdump))
            print(f"export check: {args.pe_dll} imports {', '.join(sorted(used))}")
            others = sorted(d for d in used if d.lower() not in allowed)
            if others:
                problems.append(f"{args.pe_dll} imports other DLLs: {', '.join(others)}")
    if args.pe_client:
        imports = pe_imports(args.pe_client, args.objdump)
        from_us = next((names for dll, names in imports.items() if dll.lower() == "vorskel.dll"),
                       [])
        compare(f"{args.pe_client}'s imports from vorskel.dll", table, set(from_us), problems)
    if args.stdcall_archive:
        defined = stdcall_definitions(args.stdcall_archive, args.nm)
        for name, nbytes in rows:
            if name not in defined:
                problems.append(f"{args.stdcall_archive} lacks the stdcall symbol _{name}@{nbytes}")
            elif defined[name] != nbytes:
                problems.append(f"{name}: table says {nbytes} argument bytes, the compiled "
                                f"stdcall symbol _{name}@{defined[name]}")
    for p in problems:
        print("export check:", p, file=sys.stderr)
    print(f"export check: {len(table)} exports, {'OK' if not problems else 'FAILED'}")
    return 1 if problems else 0


COMMENT_OR_STRING = re.compile(r'//[^\n]*|/\*.*?\*/|"(?:\\.|[^"\\\n])*"|\'(?:\\.|[^\'\\\n])*\'',
                               re.S)
IDENTIFIER = re.compile(r"\b[A-Za-z_]\w*\b")


def find_export_uses(root, names):
    """Yields (path, line, name) for each export named in C/C++ code under root outside its
    own definition (VORSKEL_CALL Name): a call, or the address of one, from inside the
    library, where the internal functions the exports forward to belong."""
    for path in sorted(pathlib.Path(root).rglob("*")):
        if path.suffix not in (".cpp", ".h", ".hpp", ".c", ".inc") or not path.is_file():
            continue
        text = path.read_text(errors="replace")
        # Blank comments and literals out, keeping line breaks so line numbers stay right.
        code = COMMENT_OR_STRING.sub(lambda m: re.sub(r"[^\n]", " ", m.group(0)), text)
        for m in IDENTIFIER.finditer(code):
            if m.group(0) not in names:
                continue
            if re.search(r"VORSKEL_CALL\s*$", code[max(0, m.start() - 40):m.start()]):
                continue
            yield path, code.count("\n", 0, m.start()) + 1, m.group(0)


def check_calls(root):
    uses = list(find_export_uses(root, {name for name, _ in read_table()}))
    for path, line, name in uses:
        print(f"{path}:{line}: calls {name}: call the internal function it forwards to",
              file=sys.stderr)
    print(f"export calls inside {root}: {len(uses) or 'none'}")
    return 1 if uses else 0


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("command",
                    choices=["def", "def-decorated", "version-script", "client-source", "check",
                             "calls"])
    ap.add_argument("--header")
    ap.add_argument("--def", dest="def_file")
    ap.add_argument("--library")
    ap.add_argument("--pe-dll")
    ap.add_argument("--objdump", default="objdump")
    ap.add_argument("--pe-imports-only")
    ap.add_argument("--pe-client")
    ap.add_argument("--stdcall-archive")
    ap.add_argument("--nm", default="nm")
    ap.add_argument("--root", default=str(ROOT / "src"))
    args = ap.parse_args()
    rows = read_table()
    if args.command == "def":
        sys.stdout.write(make_def(rows))
    elif args.command == "def-decorated":
        sys.stdout.write(make_def(rows, decorated=True))
    elif args.command == "version-script":
        sys.stdout.write(make_version_script(rows))
    elif args.command == "client-source":
        sys.stdout.write(make_client_source(rows))
    elif args.command == "calls":
        return check_calls(args.root)
    else:
        return check(args)
    return 0


if __name__ == "__main__":
    sys.exit(main())

// The operating-system services the library uses, behind one narrow interface so the
// same code builds for POSIX and for Windows. Everything platform specific lives in
// net_*.cpp and system_*.cpp beside this header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <optional>
#include <string>

namespace vorskel::platform {

// ---- sockets -------------------------------------------------------------------------

// Native socket handle widened to an integer (an int on POSIX, a SOCKET on Windows).
using SocketHandle = std::intptr_t;
inline constexpr SocketHandle kInvalidSocket = -1;

// An IPv4 socket address; both fields in network byte order, as the socket layer keeps them.
struct Ipv4Address {
  std::uint32_t addr_be = 0;
  std::uint16_t port_be = 0;
};

// Starts and releases the socket library (WSAStartup/WSACleanup on Windows; nothing on POSIX).
void socket_library_start();
void socket_library_release();

SocketHandle udp_socket();  // kInvalidSocket on failure
int set_broadcast(SocketHandle s);
int set_receive_timeout(SocketHandle s, int milliseconds);  // 0 = wait forever
int bind_socket(SocketHandle s, const Ipv4Address& local);
int send_datagram(SocketHandle s, const void* data, std::size_t length, const Ipv4Address& to);

// Receives one datagram. Returns its length (0 for an empty datagram), or -1 on failure:
// time-out, bad handle, a socket shut down by close_socket, or a datagram longer than room
// (which is consumed and lost).
int receive_datagram(SocketHandle s, void* buffer, std::size_t room, Ipv4Address* from);

inline constexpr int kNothingWaiting = -2;
// As receive_datagram, but returns kNothingWaiting at once when no datagram waits (an empty
// datagram that waits is received and gives 0).
int receive_waiting_datagram(SocketHandle s, void* buffer, std::size_t room, Ipv4Address* from);

// Bytes readable without blocking; -1 on failure. A waiting empty datagram reports 1 so a
// caller that drains "while pending > 0" also discards it.
int pending_bytes(SocketHandle s);

// Wakes threads blocked in receive_datagram on the socket, where the platform needs that
// before close (POSIX: shutdown); returns whether it did, so the caller can wait for them to
// leave before the handle is released and possibly reused.
bool wake_receivers(SocketHandle s);
// Closes the socket (on Windows this also wakes blocked receivers).
int close_socket(SocketHandle s);

// Local port the socket is bound to, in host order; 0 if unknown.
int local_port(SocketHandle s);

bool parse_dotted_ipv4(const char* text, std::uint32_t* addr_be);
bool lookup_host_ipv4(const char* name, std::uint32_t* addr_be);
void format_dotted_ipv4(std::uint32_t addr_be, char out[16]);

inline std::uint16_t host_to_net16(std::uint16_t v) {
  const std::uint8_t b[2] = {static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)};
  std::uint16_t r;
  std::memcpy(&r, b, 2);
  return r;
}
inline std::uint16_t net_to_host16(std::uint16_t v) {
  std::uint8_t b[2];
  std::memcpy(b, &v, 2);
  return static_cast<std::uint16_t>((b[0] << 8) | b[1]);
}

// ---- clock and locale ----------------------------------------------------------------

struct LocalTime {
  int year = 0;     // full year, e.g. 2009
  int month = 0;    // 1..12
  int day = 0;      // 1..31
  int hour = 0;     // 0..23
  int minute = 0;   // 0..59
  int second = 0;   // 0..59
  int weekday = 0;  // 0 = Sunday
  int millisecond = 0;
};

LocalTime local_time();
// Tests pin the clock; std::nullopt restores the real one.
void set_local_time_override(std::optional<LocalTime> fixed);

// The system default language ID (not the user's), as Windows reports it; on POSIX derived
// from the locale the process would get from the environment.
std::uint16_t system_default_lang_id();
void set_lang_id_override(std::optional<std::uint16_t> fixed);

// ---- files and directories -----------------------------------------------------------

inline constexpr char kPathSeparator =
#ifdef _WIN32
    '\\';
#else
    '/';
#endif

std::string current_directory();
// The current directory written into out (zero-terminated) without allocating; returns its
// length, or 0 when it does not fit or cannot be read.
std::size_t current_directory(char* out, std::size_t room);
// Longest path the library composes into a fixed buffer.
inline constexpr std::size_t kMaxPathChars =
#ifdef _WIN32
    260;
#else
    4096;
#endif
// Directory holding the host program's executable, without a trailing separator. Tests
// point it elsewhere so files written beside the executable don't collide; std::nullopt
// restores the real one.
std::string executable_directory();
void set_executable_directory_override(std::optional<std::string> directory);
// What a path names, with one look at the file system.
enum class PathKind { kMissing, kDirectory, kOther };
PathKind path_kind(const char* path);
bool directory_exists(const char* path);
bool create_directory(const char* path);  // true if created or already there
inline bool directory_exists(const std::string& path) {
  return directory_exists(path.c_str());
}
inline bool create_directory(const std::string& path) {
  return create_directory(path.c_str());
}

// A file opened for appending: every write goes to the end, also when another handle (another
// thread's download of the same terminal) appends to the same file meanwhile.
using FileHandle = std::intptr_t;
inline constexpr FileHandle kInvalidFile = -1;
// Opens path for appending, creating it when missing; never truncates. kInvalidFile on failure.
FileHandle open_for_append(const char* path);
// Writes the block with one system call where the system allows (retrying only the rest of a
// short write); true when every byte was written.
bool append_block(FileHandle file, const void* data, std::size_t length);
void close_file(FileHandle file);
// How text files end their lines on this system (Windows programs read CR LF).
inline constexpr const char* kTextLineEnd =
#ifdef _WIN32
    "\r\n";
#else
    "\n";
#endif

// ---- threads, run-time loading, messages ---------------------------------------------

void yield_thread();

using LibraryHandle = void*;
LibraryHandle load_library(const char* base_name);  // "ombrel" -> ombrel.dll / libombrel.so
void* find_symbol(LibraryHandle lib, const char* name);
void free_library(LibraryHandle lib);

// A modal error message with caption (MessageBox on Windows; one line "caption: text" on
// stderr elsewhere). Tests may divert the messages.
void show_error(const char* caption, const char* text);
using ErrorSink = std::function<void(const char* caption, const char* text)>;
void set_error_sink(ErrorSink sink);

}  // namespace vorskel::platform

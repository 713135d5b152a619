#include "platform/lang_id.h"

#include <algorithm>
#include <cstddef>
#include <initializer_list>
#include <string_view>

namespace vorskel::platform {

namespace {

struct LocaleRow {
  std::string_view language;
  std::string_view territory;
  std::string_view modifier;  // empty: any modifier
  std::uint16_t lang_id;
};

// One row per locale a Windows system reports by its own LANGID. The primary language of a
// language's rows (lang_id & 0x3FF) stands for that language in territories not listed here.
constexpr LocaleRow kLocales[] = {
    {"af", "ZA", "", 0x0436}, {"ar", "SA", "", 0x0401}, {"ar", "EG", "", 0x0C01},
    {"ar", "AE", "", 0x3801}, {"be", "BY", "", 0x0423}, {"bg", "BG", "", 0x0402},
    {"ca", "ES", "", 0x0403}, {"cs", "CZ", "", 0x0405}, {"da", "DK", "", 0x0406},
    {"de", "DE", "", 0x0407}, {"de", "CH", "", 0x0807}, {"de", "AT", "", 0x0C07},
    {"de", "LU", "", 0x1007}, {"de", "LI", "", 0x1407}, {"el", "GR", "", 0x0408},
    {"en", "US", "", 0x0409}, {"en", "GB", "", 0x0809}, {"en", "AU", "", 0x0C09},
    {"en", "CA", "", 0x1009}, {"en", "NZ", "", 0x1409}, {"en", "IE", "", 0x1809},
    {"en", "ZA", "", 0x1C09}, {"en", "PH", "", 0x3409}, {"en", "HK", "", 0x3C09},
    {"en", "IN", "", 0x4009}, {"en", "MY", "", 0x4409}, {"en", "SG", "", 0x4809},
    {"es", "ES", "", 0x0C0A}, {"es", "MX", "", 0x080A}, {"es", "CO", "", 0x240A},
    {"es", "AR", "", 0x2C0A}, {"es", "CL", "", 0x340A}, {"es", "US", "", 0x540A},
    {"et", "EE", "", 0x0425}, {"eu", "ES", "", 0x042D}, {"fa", "IR", "", 0x0429},
    {"fi", "FI", "", 0x040B}, {"fr", "FR", "", 0x040C}, {"fr", "BE", "", 0x080C},
    {"fr", "CA", "", 0x0C0C}, {"fr", "CH", "", 0x100C}, {"fr", "LU", "", 0x140C},
    {"gl", "ES", "", 0x0456}, {"he", "IL", "", 0x040D}, {"hi", "IN", "", 0x0439},
    {"hr", "HR", "", 0x041A}, {"hu", "HU", "", 0x040E}, {"hy", "AM", "", 0x042B},
    {"id", "ID", "", 0x0421}, {"is", "IS", "", 0x040F}, {"it", "IT", "", 0x0410},
    {"it", "CH", "", 0x0810}, {"ja", "JP", "", 0x0411}, {"ka", "GE", "", 0x0437},
    {"kk", "KZ", "", 0x043F}, {"ko", "KR", "", 0x0412}, {"lt", "LT", "", 0x0427},
    {"lv", "LV", "", 0x0426}, {"mk", "MK", "", 0x042F}, {"ms", "MY", "", 0x043E},
    {"nb", "NO", "", 0x0414}, {"nl", "NL", "", 0x0413}, {"nl", "BE", "", 0x0813},
    {"nn", "NO", "", 0x0814}, {"no", "NO", "", 0x0414}, {"pl", "PL", "", 0x0415},
    {"pt", "BR", "", 0x0416}, {"pt", "PT", "", 0x0816}, {"ro", "RO", "", 0x0418},
    {"ru", "RU", "", 0x0419}, {"sk", "SK", "", 0x041B}, {"sl", "SI", "", 0x0424},
    {"sq", "AL", "", 0x041C}, {"sr", "RS", "", 0x281A}, {"sr", "RS", "latin", 0x241A},
    {"sv", "SE", "", 0x041D}, {"sv", "FI", "", 0x081D}, {"th", "TH", "", 0x041E},
    {"tr", "TR", "", 0x041F}, {"uk", "UA", "", 0x0422}, {"ur", "PK", "", 0x0420},
    {"vi", "VN", "", 0x042A}, {"zh", "TW", "", 0x0404}, {"zh", "CN", "", 0x0804},
    {"zh", "HK", "", 0x0C04}, {"zh", "SG", "", 0x1004}, {"zh", "MO", "", 0x1404},
};

constexpr char lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

constexpr bool same(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (lower(a[i]) != lower(b[i])) return false;
  return true;
}

constexpr bool is_language_code(std::string_view s) {
  if (s.size() < 2 || s.size() > 3) return false;
  for (char c : s)
    if (lower(c) < 'a' || lower(c) > 'z') return false;
  return true;
}

}  // namespace

std::uint16_t lang_id_from_locale(const char* name) {
  if (name == nullptr) return 0;
  // language[_territory][.codeset][@modifier]
  const std::string_view locale(name);
  const std::size_t at = locale.find('@');
  const std::string_view modifier = at == locale.npos ? "" : locale.substr(at + 1);
  const std::string_view base = locale.substr(0, std::min(at, locale.find('.')));
  const std::size_t sep = base.find_first_of("_-");
  const std::string_view language = base.substr(0, sep);
  const std::string_view territory = sep == base.npos ? "" : base.substr(sep + 1);
  if (!is_language_code(language)) return 0;  // also "C", "POSIX" and ""

  std::uint16_t primary = 0;
  std::uint16_t in_territory = 0;
  for (const LocaleRow& row : kLocales) {
    if (!same(row.language, language)) continue;
    if (primary == 0) primary = row.lang_id & 0x3FF;
    if (!same(row.territory, territory)) continue;
    if (row.modifier.empty()) {
      if (in_territory == 0) in_territory = row.lang_id;
    } else if (same(row.modifier, modifier)) {
      return row.lang_id;
    }
  }
  return in_territory != 0 ? in_territory : primary;
}

std::uint16_t system_lang_id_from_env(const char* lc_all, const char* lc_ctype, const char* lang) {
  for (const char* value : {lc_all, lc_ctype, lang})
    if (value != nullptr && value[0] != '\0') return lang_id_from_locale(value);
  return 0;
}

}  // namespace vorskel::platform

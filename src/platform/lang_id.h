// Windows language IDs (LANGID) for POSIX locale names.
#pragma once

#include <cstdint>

namespace vorskel::platform {

// The LANGID a Windows system set up for the locale `name` would report, for a POSIX locale
// name of the form language[_territory][.codeset][@modifier]: "zh_TW.UTF-8" -> 0x0404,
// "zh_HK.Big5HKSCS" -> 0x0C04, "de_DE@euro" -> 0x0407. A known language in a territory the
// table lacks gives the language's primary ID alone ("zh" -> 0x0004, "en_NG" -> 0x0009).
// "C", "POSIX", "", nullptr and unknown languages give 0x0000 (LANG_NEUTRAL).
std::uint16_t lang_id_from_locale(const char* name);

// The LANGID of the locale setlocale(LC_CTYPE, "") would pick: the first of LC_ALL, LC_CTYPE
// and LANG that is set and not empty. 0x0000 when none is.
std::uint16_t system_lang_id_from_env(const char* lc_all, const char* lc_ctype, const char* lang);

}  // namespace vorskel::platform

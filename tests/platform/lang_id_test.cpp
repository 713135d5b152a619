// Locale name -> Windows LANGID, and which environment variable decides.
#include "platform/lang_id.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/platform.h"
#include "transport/codecs.h"

namespace {

using vorskel::platform::lang_id_from_locale;
using vorskel::platform::system_lang_id_from_env;

struct LocaleCase {
  const char* name;
  std::uint16_t lang_id;
};

constexpr LocaleCase kLocaleCases[] = {
    // The two traditional-Chinese systems, and only they, report 1028 and 3076.
    {"zh_TW.UTF-8", 0x0404},
    {"zh_TW.Big5", 0x0404},
    {"zh_TW", 0x0404},
    {"zh_HK.Big5HKSCS", 0x0C04},
    {"zh_HK.UTF-8", 0x0C04},
    {"zh_MO.UTF-8", 0x1404},
    {"zh_CN.GB2312", 0x0804},
    {"zh_CN.GB18030", 0x0804},
    {"zh_SG.GBK", 0x1004},
    {"zh", 0x0004},
    {"zh.UTF-8", 0x0004},
    {"zh_MY.UTF-8", 0x0004},
    {"en_US.UTF-8", 0x0409},
    {"en_GB.ISO-8859-1", 0x0809},
    {"en", 0x0009},
    {"en_NG", 0x0009},
    {"de_DE@euro", 0x0407},
    {"de_DE.UTF-8@euro", 0x0407},
    {"de_AT", 0x0C07},
    {"fr_FR.UTF-8", 0x040C},
    {"fr_CA", 0x0C0C},
    {"es_ES.UTF-8", 0x0C0A},
    {"pt_BR.UTF-8", 0x0416},
    {"ja_JP.eucJP", 0x0411},
    {"ko_KR.EUC-KR", 0x0412},
    {"ru_RU.KOI8-R", 0x0419},
    {"nn_NO", 0x0814},
    {"sr_RS", 0x281A},
    {"sr_RS@latin", 0x241A},
    {"ZH_tw.utf8", 0x0404},  // case of language and territory does not matter
    {"zh-TW", 0x0404},
    // No language: the neutral ID.
    {"C", 0x0000},
    {"C.UTF-8", 0x0000},
    {"POSIX", 0x0000},
    {"", 0x0000},
    {nullptr, 0x0000},
    {"xx_YY.UTF-8", 0x0000},
    {"chinese", 0x0000},
    {"_TW", 0x0000},
    {"@euro", 0x0000},
};

TEST(LangId, FromLocaleName) {
  for (const LocaleCase& c : kLocaleCases) {
    EXPECT_EQ(lang_id_from_locale(c.name), c.lang_id) << (c.name != nullptr ? c.name : "(null)");
  }
}

struct EnvCase {
  const char* lc_all;
  const char* lc_ctype;
  const char* lang;
  std::uint16_t lang_id;
};

constexpr EnvCase kEnvCases[] = {
    {"zh_TW.UTF-8", "zh_HK.UTF-8", "en_US.UTF-8", 0x0404},  // LC_ALL first
    {nullptr, "zh_HK.UTF-8", "zh_TW.UTF-8", 0x0C04},        // then LC_CTYPE
    {nullptr, nullptr, "zh_TW.UTF-8", 0x0404},              // then LANG
    {"", "", "zh_HK.Big5HKSCS", 0x0C04},                    // empty counts as unset
    {"", "de_DE@euro", "zh_TW", 0x0407},
    {"C", "zh_TW.UTF-8", "zh_TW.UTF-8", 0x0000},  // a set "C" still wins
    {nullptr, nullptr, nullptr, 0x0000},
    {"", "", "", 0x0000},
};

TEST(LangId, FromEnvironment) {
  for (const EnvCase& c : kEnvCases) {
    EXPECT_EQ(system_lang_id_from_env(c.lc_all, c.lc_ctype, c.lang), c.lang_id)
        << "LC_ALL=" << (c.lc_all ? c.lc_all : "(unset)")
        << " LC_CTYPE=" << (c.lc_ctype ? c.lc_ctype : "(unset)")
        << " LANG=" << (c.lang ? c.lang : "(unset)");
  }
}

}  // namespace

#ifndef _WIN32
// The one rule the README states, through the process environment and the text conversion
// the library applies: the locale name decides, whether or not that locale is installed
// (these tests run where no zh_* locale is), and the first of LC_ALL, LC_CTYPE and LANG that
// is set and not empty is that name.
class SavedLocaleEnvironment {
 public:
  SavedLocaleEnvironment() {
    for (const char* name : kNames) {
      const char* v = std::getenv(name);
      saved_.emplace_back(name, v != nullptr ? std::optional<std::string>(v) : std::nullopt);
    }
  }
  ~SavedLocaleEnvironment() {
    for (const auto& [name, value] : saved_) set(name, value ? value->c_str() : nullptr);
  }
  static void set(const char* name, const char* value) {
    if (value != nullptr) {
      ::setenv(name, value, 1);
    } else {
      ::unsetenv(name);
    }
  }
  static constexpr const char* kNames[] = {"LC_ALL", "LC_CTYPE", "LANG"};

 private:
  std::vector<std::pair<const char*, std::optional<std::string>>> saved_;
};

TEST(LangId, TheEnvironmentsLocaleNameDecidesTheConversionInstalledOrNot) {
  const SavedLocaleEnvironment saved;
  vorskel::platform::set_lang_id_override(std::nullopt);
  struct Case {
    const char* lc_all;
    const char* lc_ctype;
    const char* lang;
    bool converts;
  } cases[] = {
      {nullptr, nullptr, "zh_TW.UTF-8", true},  // LANG alone
      {"zh_TW.UTF-8", nullptr, nullptr, true},
      {"zh_HK.Big5HKSCS", nullptr, "en_US.UTF-8", true},
      {nullptr, "zh_TW", "C", true},
      {"C", nullptr, "zh_TW.UTF-8", false},
      {nullptr, "C.UTF-8", "zh_TW.UTF-8", false},
      {nullptr, nullptr, "zh_CN.UTF-8", false},
      {"", "", "zh_TW.Big5", true},  // empty counts as unset
  };
  const std::uint8_t big5[] = {0xA4, 0xA4};  // a Big5 character
  for (const Case& c : cases) {
    SavedLocaleEnvironment::set("LC_ALL", c.lc_all);
    SavedLocaleEnvironment::set("LC_CTYPE", c.lc_ctype);
    SavedLocaleEnvironment::set("LANG", c.lang);
    std::uint8_t out[4] = {};
    ASSERT_EQ(vorskel::display_text(big5, out, 2), 2);
    const bool converted = out[0] != big5[0] || out[1] != big5[1];
    EXPECT_EQ(converted, c.converts) << "LC_ALL=" << (c.lc_all ? c.lc_all : "(unset)")
                                     << " LC_CTYPE=" << (c.lc_ctype ? c.lc_ctype : "(unset)")
                                     << " LANG=" << (c.lang ? c.lang : "(unset)");
  }
}
#endif

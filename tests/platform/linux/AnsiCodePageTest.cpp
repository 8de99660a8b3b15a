#include "platform/AnsiCodePage.h"
#include "platform/linux/LocaleCodePage.h"
#include "tests/support/GameLocale.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

using tmt::platform::AnsiCodePageNumber;
using tmt::test::GameLocale;

TEST(AnsiCodePageTest, LocaleNamesMapAsWineMapsThem) {
    // GetACP() under Wine 8 with LANG set to each of these locales (installed).
    const std::pair<const char*, unsigned> measured[] = {
        {"ru_RU.UTF-8", 1251},
        {"RU_ru.utf8", 1251},
        {"ja_JP.UTF-8", 932},
        {"ja", 932},
        {"zh_CN.UTF-8", 936},
        {"zh_SG", 936},
        {"zh_TW.UTF-8", 950},
        {"zh_HK.UTF-8", 950},
        {"ko_KR.UTF-8", 949},
        {"pl_PL.UTF-8", 1250},
        {"el_GR.UTF-8", 1253},
        {"tr_TR.UTF-8", 1254},
        {"he_IL.UTF-8", 1255},
        {"ar_SA.UTF-8", 1256},
        {"lt_LT.UTF-8", 1257},
        {"vi_VN.UTF-8", 1258},
        {"th_TH.UTF-8", 874},
        {"de_DE.UTF-8@euro", 1252},
        {"fr_FR.UTF-8", 1252},
        {"hi_IN.UTF-8", 65001},
        {"ka_GE.UTF-8", 65001},
        {"sr_RS.UTF-8@latin", 1250},
        {"sr_RS.UTF-8", 1252},
        {"uz_UZ.UTF-8@cyrillic", 1251},
        {"uz_UZ.UTF-8", 1252},
        {"ru_UA.UTF-8", 1252},
        {"ja_US.UTF-8", 1252},
        {"ca_ES.UTF-8@valencia", 1252},
        {"pa_PK.UTF-8@arabic", 1256},
        {"C.UTF-8", 1252},
        {"POSIX", 1252},
        {"xx_YY.UTF-8", 1252},
    };
    for (const auto& [locale, codePage] : measured) {
        EXPECT_EQ(AnsiCodePageNumber(locale, ""), codePage) << locale;
    }
}

TEST(AnsiCodePageTest, ALocaleThatIsNotInstalledIsC) {
    {
        const GameLocale russian("ru_RU.UTF-8");
        EXPECT_EQ(tmt::platform::AnsiCodePage().Number(), 1251u);
    }
    {
        const GameLocale missing("ru_RU.UTF-8", GameLocale::Installed::No);
        EXPECT_EQ(tmt::platform::AnsiCodePage().Number(), 1252u);
        // Wine falls back on LC_ALL's name when LC_CTYPE came out as C (measured with
        // LC_ALL=ru_RU.KOI8-R, not installed: 1251).
        ::setenv("LC_ALL", "ru_RU.KOI8-R", 1);
        EXPECT_EQ(tmt::platform::AnsiCodePage().Number(), 1251u);
        ::setenv("LC_CTYPE", "ja_JP.UTF-8", 1);
        EXPECT_EQ(tmt::platform::AnsiCodePage().Number(), 1251u) << "LC_ALL comes first";
    }
    EXPECT_EQ(AnsiCodePageNumber("C", ""), 1252u);
    EXPECT_EQ(AnsiCodePageNumber("C", "ja_JP.eucJP"), 932u);
}

} // namespace

#include "base/ErrorText.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(ErrorBoxText, AddsFullStopOnlyAfterCharactersAboveIt) {
    const struct {
        QString message;
        QString shown;
    } cases[] = {
        {u""_s, u""_s},
        {u"Ошибка"_s, u"Ошибка."_s},
        {u"code 404"_s, u"code 404."_s},
        {u"Host:"_s, u"Host:."_s},
        {u"Why?"_s, u"Why?."_s},
        {u"Done."_s, u"Done."_s},
        {u"Done!"_s, u"Done!"_s},
        {u"a,"_s, u"a,"_s},
        {u"a-"_s, u"a-"_s},
        {u"(a)"_s, u"(a)"_s},
        {u"trailing "_s, u"trailing "_s},
        {u"line\r\n"_s, u"line\r\n"_s},
        {u"slash/"_s, u"slash/."_s},
    };
    for (const auto& c : cases)
        EXPECT_EQ(errorBoxText(c.message), c.shown) << c.message.toStdString();
}

#pragma once

#include <QTest>
#include <QVariant>
#include <QWebEnginePage>
#include <gtest/gtest.h>

// Runs a script in a page and waits for its result (an invalid value when none comes).
inline QVariant evaluate(QWebEnginePage& page, const QString& script) {
    QVariant result;
    bool done = false;
    page.runJavaScript(script, [&](const QVariant& value) {
        result = value;
        done = true;
    });
    EXPECT_TRUE(QTest::qWaitFor([&] { return done; }, 20000));
    return result;
}

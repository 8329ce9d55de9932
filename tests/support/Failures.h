#pragma once

#include "base/Failure.h"

#include <QString>
#include <functional>

using namespace Qt::StringLiterals;

// The message of the Failure that `work` throws, or "<no failure>" when it throws none.
inline QString failureOf(const std::function<void()>& work) {
    try {
        work();
    } catch (const Failure& failure) {
        return failure.message();
    }
    return u"<no failure>"_s;
}

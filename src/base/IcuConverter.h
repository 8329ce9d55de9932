#pragma once

#include <unicode/ucnv.h>

#include <memory>

// An ICU converter that closes itself.
struct IcuConverterCloser {
    void operator()(UConverter* converter) const { ucnv_close(converter); }
};
using IcuConverter = std::unique_ptr<UConverter, IcuConverterCloser>;

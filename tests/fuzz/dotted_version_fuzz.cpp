// The dotted version comparison that decides whether the older-version question is asked,
// over the "FileVersion" texts of executables, which any build tool writes as it likes.
#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "payload/version_rules.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

using Places = std::array<int32_t, 4>;

// One to four places, each written in one of the forms of the integer text rule.
std::string Dotted(FuzzedDataProvider& provider, Places& places) {
    const size_t count = provider.ConsumeIntegralInRange<size_t>(1, 4);
    places = {0, 0, 0, 0};
    std::string text;
    for (size_t i = 0; i < count; ++i) {
        places[i] = provider.PickValueInArray({0, 1, 2, 9, 10, 408, -1, INT32_MAX, INT32_MIN,
                                               provider.ConsumeIntegral<int32_t>()});
        if (i > 0) text += '.';
        if (provider.ConsumeBool()) {
            text += std::to_string(places[i]);
        } else {
            char hex[16];
            std::snprintf(hex, sizeof hex, "$%X", static_cast<unsigned>(places[i]));
            text += hex;
        }
    }
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider provider(data, size);
    if (provider.ConsumeBool()) {
        // Any two texts: equal ones are never older, and of two texts at most one is
        // older than the other.
        const std::string a = provider.ConsumeRandomLengthString(64);
        const std::string b = provider.ConsumeRemainingBytesAsString();
        FUZZ_CHECK(!IsOlderVersion(a, a));
        FUZZ_CHECK(!(IsOlderVersion(a, b) && IsOlderVersion(b, a)));
        return 0;
    }
    // Versions of numbers only: older exactly when the installed places are greater,
    // compared from the left as signed numbers, a missing place counting as 0.
    Places offered, installed;
    const std::string offeredText = Dotted(provider, offered);
    const std::string installedText = Dotted(provider, installed);
    FUZZ_CHECK(IsOlderVersion(offeredText, installedText) == (installed > offered));
    FUZZ_CHECK(IsOlderVersion(installedText, offeredText) == (offered > installed));
    // A fifth place makes the fourth no number: with the first three equal, the text
    // that has it is older as the new one and not older as the installed one.
    std::string fivePlaces;
    for (int32_t place : offered) fivePlaces += std::to_string(place) + '.';
    fivePlaces += '1';
    const Places firstThree = {offered[0], offered[1], offered[2], 0};
    const Places installedThree = {installed[0], installed[1], installed[2], 0};
    FUZZ_CHECK(IsOlderVersion(fivePlaces, installedText) == (installedThree >= firstThree));
    FUZZ_CHECK(IsOlderVersion(installedText, fivePlaces) == (firstThree > installedThree));
    return 0;
}

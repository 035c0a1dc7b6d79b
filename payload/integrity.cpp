#include "payload/integrity.h"

#include <windows.h>

#include "base/errors.h"
#include "localisation/messages.h"
#include "payload/checksum.h"
#include "payload/resources.h"

namespace {

constexpr const char kChecksumResource[] = "PAYLOADSUMS";

std::string OwnPath() {
    char path[MAX_PATH + 1] = {};
    const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, length <= MAX_PATH ? length : 0);
}

bool PayloadIntact() {
    const OwnResource sums(kChecksumResource, RT_RCDATA);
    if (!sums.Found()) return false;
    const Bytes table = sums.View();
    const auto checksums = ParseChecksumTable(table.data, table.size);
    if (!checksums) return false;
    for (const PayloadChecksum& expected : *checksums) {
        const OwnResource payload(expected.name, expected.type);
        if (!payload.Found()) return false;
        const Bytes bytes = payload.View();
        if (bytes.size != expected.size || Crc32(bytes.data, bytes.size) != expected.crc) return false;
    }
    return true;
}

}  // namespace

void CheckSetupIntegrity() {
    if (!PayloadIntact()) throw SetupError(messages::SetupFileDamaged(OwnPath()), ExitCode::IntegrityFailed);
}

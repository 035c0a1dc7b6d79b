#include "payload/integrity.h"

#include <windows.h>

#include "base/errors.h"
#include "base/log.h"
#include "base/system.h"
#include "localisation/messages.h"
#include "payload/checksum.h"
#include "payload/resources.h"

namespace {

constexpr const char kChecksumResource[] = "PAYLOADSUMS";

// False, with the reason in the log, when a payload resource or its table is damaged.
bool PayloadIntact() {
    const OwnResource sums(kChecksumResource, RT_RCDATA);
    const Bytes table = sums.View();
    const auto checksums = sums.Found() ? ParseChecksumTable(table.data, table.size) : std::nullopt;
    if (!checksums) {
        runlog::Write("integrity check: the checksum table is missing or damaged");
        return false;
    }
    for (const PayloadChecksum& expected : *checksums) {
        const OwnResource payload(expected.name, expected.type);
        const Bytes bytes = payload.View();
        if (!payload.Found() || bytes.size != expected.size || Crc32(bytes.data, bytes.size) != expected.crc) {
            runlog::Write("integrity check: payload resource " + expected.name + " of type " + expected.type +
                          (payload.Found() ? " does not match its checksum" : " is missing"));
            return false;
        }
    }
    return true;
}

}  // namespace

void CheckSetupIntegrity() {
    if (!PayloadIntact()) throw SetupError(messages::SetupFileDamaged(OwnPathUtf8()), ExitCode::IntegrityFailed);
}

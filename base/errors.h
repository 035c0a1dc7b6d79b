// The one failure currency of the setup, and the exit codes a caller sees.
#pragma once

#include <utility>

#include "base/text.h"

// How a run ended, as the process exit code. The first failure of a run decides.
enum class ExitCode : int {
    Ok = 0,               // installed, or the user answered no to a question
    Environment = 1,      // the environment could not be read
    NotAdministrator = 2,
    IntegrityFailed = 3,  // the setup file failed its own check
    NotInstalled = 4,     // the application is not installed
    InstallFailed = 5,    // the package file could not be installed
    SizeNotRecorded = 6,  // "EstimatedSize" could not be written
    AlreadyRunning = 7,   // another setup of the same package is running
    NobodyToAsk = 8,      // not quiet, where no box can be seen: nothing asked, nothing written
};

// Raised inside a step: what the user is told and how the run then ends travel
// together, so that the handler that shows the pair also knows the exit code.
class SetupError {
public:
    SetupError(MessagePair message, ExitCode code) : message_(std::move(message)), code_(code) {}
    const MessagePair& Message() const { return message_; }
    ExitCode Code() const { return code_; }

private:
    MessagePair message_;
    ExitCode code_;
};

// A failed step whose report belongs to the operation that catches it.
struct SilentAbort {};

// Failures of the registry accessor (a value of the wrong type, a refused write).
struct RegistryError {};

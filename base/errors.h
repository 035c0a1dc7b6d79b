// The one failure currency of the setup, and the exit codes a caller sees.
#pragma once

#include "localisation/text.h"

// How a run ended, as the process exit code. The first failure of a run decides.
enum class ExitCode : int {
    Ok = 0,               // installed, or the user answered no to a question
    Environment = 1,      // the environment could not be read
    NotAdministrator = 2,
    IntegrityFailed = 3,  // the setup file failed its own check
    NotInstalled = 4,     // the application is not installed
    InstallFailed = 5,    // the package file could not be installed
    SizeNotRecorded = 6,  // "EstimatedSize" could not be written
};

// Raised inside an operation; the operation's handler shows the pair once.
class SetupError {
public:
    explicit SetupError(MessagePair message) : message_(std::move(message)) {}
    const MessagePair& Message() const { return message_; }

private:
    MessagePair message_;
};

// A failed step whose report belongs to the operation that catches it.
struct SilentAbort {};

// Failures of the registry accessor (a value of the wrong type, a refused write).
struct RegistryError {};

// Rules of writing the package: the temporary name, which kinds are compared by
// version, and the older-version question.
#pragma once

#include <cstdint>
#include <string>

#include "base/text.h"

// The path with "~" inserted behind its last backslash before the final character,
// or in front when there is none.
std::string TemporaryName(const std::string& path);

enum class VersionedKind { None, Pak, ThreeBs, Language, Cok };

// The probe an existing target of this kind is compared by. Kinds are compared exactly,
// with regard to case; a language file whose path holds "!" is not compared.
VersionedKind VersionedKindOf(const std::string& kind, const std::string& target);

// The question asked before an older file replaces a newer one.
QuestionPair OlderVersionQuestion(const std::string& target, const std::string& installedVersion,
                                  const std::string& newVersion);

// Virus scanners, indexers and backup agents open a freshly written file for a moment,
// without sharing; other installers wait such holds out rather than fail. The steps of
// writing the package that may meet one:
enum class FileStep { Create, Write, Read, Rename };
// A Windows error that an unshared open or a locked range of another process gives
// (sharing or lock violation). A rename onto a held file reads as access denied on
// some systems (Wine), so there it counts too; a read-only file is told apart before.
bool IsBriefHold(uint32_t error, FileStep step);
// The pause before try `retry` + 1 (retry 1 is the first repetition), growing from a
// quarter of a second, about 10 s in all; 0 once the tries are over.
uint32_t RetryPauseMs(int retry);

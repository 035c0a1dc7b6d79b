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

// Path rules of the setup, over plain texts.
#pragma once

#include <optional>
#include <string>

// The install folder named by an uninstall entry's "UninstallString": the text up to
// and including the last backslash before its final character. A quoted value gives
// the folder of the quoted path (arguments after the closing quote are ignored). A
// value with no usable backslash, or one whose folder is not a local absolute one,
// names no folder.
std::optional<std::string> FolderFromUninstallString(const std::string& value);

// A folder of the form "X:\a\b\": a drive letter, and no empty, "." or ".." part.
bool IsLocalAbsoluteFolder(const std::string& folder);

// The name of the guard that lets one setup of a package run at a time, with the
// package's base name, so that setups of other packages do not wait for each other.
std::string InstanceGuardLocalName(const std::string& baseName);
// The same name in the global namespace, where it holds across users and sessions: what
// the guard falls back to where Windows has no private namespaces.
std::string InstanceGuardName(const std::string& baseName);

// The same key path in the 32-bit registry view: "WOW6432Node\" inserted right after
// the first backslash.
std::string Wow6432Path(const std::string& path);

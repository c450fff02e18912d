#pragma once
// Extracting selected entries of a password-protected zip archive into one
// folder, through the platform's file operations.
#include <string>

#include "boot/zip_error.h"
#include "platform/platform.h"

namespace lum {

// The file name an entry is written under: the last part of its stored name
// (after the last "\", "/" or ":"), so that no stored path can lead out of
// the target folder. Raises ZipError for names Windows would not keep as an
// ordinary file there: empty, "." or "..", control or wildcard characters, a
// trailing dot or blank, or a device name such as "CON" or "LPT1.txt".
std::string ZipEntryTargetName(const std::string& storedName);

// Extracts every entry whose stored name matches mask (see MatchesFileMask)
// into baseDir (ending in a backslash), creating its missing folders. Stored
// folders are not recreated; an existing file of the same name is replaced.
// The password is converted to the ANSI code page.
//
// Every selected entry is decoded and checked into a temporary file first; the
// targets are replaced only when all of them were read without error, so a
// wrong password or a damaged archive writes nothing. Returns true; raises
// ZipError for a missing archive, any archive error or a file that cannot be
// written. An archive in which nothing matches extracts nothing.
bool ExtractZipFiles(IFiles& files, ICodePage& codepage, const std::string& archivePath,
                     const std::string& password, const std::string& baseDir,
                     const std::string& mask);

}  // namespace lum

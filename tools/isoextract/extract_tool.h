#pragma once
// The ISO extraction tool: takes the command line
//   -silent -in IMAGE -get /PATH/IN/IMAGE -unattend -extract DIR
// (options in any order, names without regard to letter case, -silent and
// -unattend optional) and writes the file that PATH names into DIR, under the
// name the image gives it. A failure exits non-zero and leaves no output file:
// neither a partial one nor an older file of the same name in DIR, so a caller
// that checks for the file afterwards sees the failure.
#include <string>
#include <vector>

#include "tools/isoextract/extract_files.h"

namespace lum {

// Exit codes of the tool.
namespace isoexit {
constexpr int Ok = 0;
constexpr int Usage = 1;       // unknown option, missing or repeated value
constexpr int BadImage = 2;    // image missing, unreadable, not ISO 9660 or damaged
constexpr int NotFound = 3;    // the path is not a file of the image
constexpr int OutputFailed = 4;
}  // namespace isoexit

struct ExtractRequest {
  std::string image;   // -in
  std::string path;    // -get
  std::string outDir;  // -extract
  bool silent = false;
  bool unattend = false;
};

bool ParseExtractArgs(const std::vector<std::string>& args, ExtractRequest& out, std::string& error);

struct ExtractResult {
  int exitCode = isoexit::Ok;
  std::string message;  // what happened, one line
  std::string written;  // full path of the file written, on success
};

ExtractResult RunIsoExtract(const std::vector<std::string>& args, IExtractFiles& files);

// The program around RunIsoExtract: the process's arguments, the run, and its
// report on the console (a failure as "isoextract: " and the message on the
// error stream; success on the output stream unless -silent). Returns the
// exit code.
int IsoExtractMain(int argc, char** argv, IExtractFiles& files);

}  // namespace lum

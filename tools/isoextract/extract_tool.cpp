#include "tools/isoextract/extract_tool.h"

#include "platform/text.h"
#include "tools/common/console.h"
#include "tools/isoextract/iso9660.h"

namespace lum {
namespace {

// A folder written as "C:\My Dir\" between quotation marks reaches us as
// C:\My Dir" (the backslash escapes the closing mark). A quotation mark can
// never be part of a Windows path, so it is read as the separator it was.
std::string CleanPathArg(std::string s) {
  if (!s.empty() && s.back() == '"') {
    s.pop_back();
    s.push_back('\\');
  }
  return s;
}

std::string LastPathPart(const std::string& path) {
  std::size_t end = path.find_last_not_of("/\\");
  if (end == std::string::npos) return {};
  std::size_t begin = path.find_last_of("/\\", end);
  begin = begin == std::string::npos ? 0 : begin + 1;
  return path.substr(begin, end + 1 - begin);
}

int ExitFor(IsoError e) {
  switch (e) {
    case IsoError::NotFound:
    case IsoError::NotADirectory:
    case IsoError::NotAFile:
    case IsoError::BadPath:
    case IsoError::PathTooDeep:
      return isoexit::NotFound;
    case IsoError::WriteFailed:
      return isoexit::OutputFailed;
    default:
      return isoexit::BadImage;
  }
}

}  // namespace

bool ParseExtractArgs(const std::vector<std::string>& args, ExtractRequest& out, std::string& error) {
  out = ExtractRequest{};
  bool haveIn = false, haveGet = false, haveExtract = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string opt = AsciiLower(args[i]);
    if (opt == "-silent") {
      out.silent = true;
      continue;
    }
    if (opt == "-unattend") {
      out.unattend = true;
      continue;
    }
    std::string* target = nullptr;
    bool* seen = nullptr;
    if (opt == "-in") { target = &out.image; seen = &haveIn; }
    else if (opt == "-get") { target = &out.path; seen = &haveGet; }
    else if (opt == "-extract") { target = &out.outDir; seen = &haveExtract; }
    else {
      error = "unknown argument: " + args[i];
      return false;
    }
    if (*seen) {
      error = "option given twice: " + args[i];
      return false;
    }
    if (i + 1 >= args.size() || args[i + 1].empty()) {
      error = "option needs a value: " + args[i];
      return false;
    }
    *target = args[++i];
    *seen = true;
  }
  if (!haveIn || !haveGet || !haveExtract) {
    error = "usage: -silent -in IMAGE -get /PATH -unattend -extract DIR";
    return false;
  }
  out.image = CleanPathArg(out.image);
  out.outDir = CleanPathArg(out.outDir);
  return true;
}

ExtractResult RunIsoExtract(const std::vector<std::string>& args, IExtractFiles& files) {
  ExtractResult result;
  ExtractRequest req;
  std::string error;
  if (!ParseExtractArgs(args, req, error)) {
    result.exitCode = isoexit::Usage;
    result.message = error;
    return result;
  }

  // An older copy of the requested file must not survive a failure: the
  // caller decides success by the file being there.
  const std::string stale = files.JoinPath(req.outDir, LastPathPart(req.path));
  auto fail = [&](int code, std::string text) {
    if (!LastPathPart(req.path).empty() && !files.SamePath(stale, req.image)) files.Remove(stale);
    result.exitCode = code;
    result.message = std::move(text);
    return result;
  };

  if (!files.IsDirectory(req.outDir)) return fail(isoexit::OutputFailed, "no such folder: " + req.outDir);
  std::unique_ptr<IReadAt> image = files.OpenImage(req.image);
  if (!image) return fail(isoexit::BadImage, "cannot open " + req.image + ": " + files.LastErrorText());

  IsoImage iso(*image);
  if (IsoError e = iso.Open(); e != IsoError::None)
    return fail(ExitFor(e), req.image + ": " + IsoErrorText(e));
  IsoEntry entry;
  if (IsoError e = iso.Find(req.path, entry); e != IsoError::None)
    return fail(ExitFor(e), req.path + ": " + IsoErrorText(e));
  if (entry.isDir) return fail(isoexit::NotFound, req.path + ": " + IsoErrorText(IsoError::NotAFile));

  const std::string target = files.JoinPath(req.outDir, entry.name);
  if (files.SamePath(target, req.image))
    return fail(isoexit::OutputFailed, "the output would replace the image: " + target);
  std::unique_ptr<IOutputFile> out = files.CreateOutput(target);
  if (!out) return fail(isoexit::OutputFailed, "cannot create " + target + ": " + files.LastErrorText());
  if (IsoError e = iso.Copy(entry, *out); e != IsoError::None) {
    std::string why = e == IsoError::WriteFailed ? files.LastErrorText() : IsoErrorText(e);
    out.reset();
    return fail(ExitFor(e), "cannot extract " + req.path + ": " + why);
  }
  if (!out->Commit()) {
    std::string why = files.LastErrorText();
    out.reset();
    return fail(isoexit::OutputFailed, "cannot write " + target + ": " + why);
  }
  result.written = target;
  result.message = "extracted " + req.path + " to " + target + " (" + std::to_string(entry.size) + " bytes)";
  return result;
}

int IsoExtractMain(int argc, char** argv, IExtractFiles& files) {
  const std::vector<std::string> args = tool::Arguments(argc, argv);
  ExtractResult r = RunIsoExtract(args, files);
  ExtractRequest req;
  std::string ignored;
  bool silent = ParseExtractArgs(args, req, ignored) && req.silent;
  if (r.exitCode != isoexit::Ok)
    tool::PrintLine(tool::Stream::Err, "isoextract: " + r.message);
  else if (!silent)
    tool::PrintLine(tool::Stream::Out, r.message);
  return r.exitCode;
}

}  // namespace lum

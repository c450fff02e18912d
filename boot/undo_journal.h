#pragma once
// The record that makes every run of the boot preparation undoable.
//
// Before the program changes a file the next start of the machine depends on
// (or anything else it writes while preparing it), the journal notes how that
// file was: its bytes and attributes, or that it did not exist. Before the
// boot store is changed for the first time it is exported. The record lives in
// the folder S\ZqUndo\ (hidden, system) and stays there as long as any change
// of ours is in place: a completed run leaves it behind, so that a later run,
// or a failed one, can put the machine back as it was before the first run.
// Undo() puts every file back, in the reverse order of the changes, imports
// the store's export and removes the record.
#include <functional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace lum {

class UndoJournal {
 public:
  explicit UndoJournal(Platform& p);
  UndoJournal(const UndoJournal&) = delete;
  UndoJournal& operator=(const UndoJournal&) = delete;

  // The record's folder, S\ZqUndo\.
  std::string Folder() const { return folder_; }
  // True when the record holds anything: earlier changes are in place.
  bool HasRecord();

  // Notes how path is now, unless the record already holds it. False when
  // that could not be noted; the caller must then leave the file alone.
  bool Keep(const std::string& path);
  // Notes every folder of dir (a path ending in a folder) that does not
  // exist yet, outermost first, so that Undo removes them again.
  bool KeepDirs(const std::string& dir);
  // Notes a file on a partition without a drive letter, reached for now
  // through letter (a temporary definition of device, such as
  // \Device\Harddisk0\Partition1); Undo defines a letter for it again.
  bool KeepOnDevice(const std::string& letter, const std::string& device, const std::string& name);
  // Exports the boot store through the editor before its first change. False
  // when there is no export afterwards.
  bool KeepStore(const std::string& editor);

  // Puts everything back and removes the record. True when every file and the
  // store are as noted; otherwise the record stays for the next attempt.
  bool Undo();

 private:
  struct Entry {
    char kind = 'A';          // 'F' saved file, 'A' absent file, 'D' absent folder, 'S' store export,
                              // 'P' a file on a device without a letter (saved empty: absent)
    std::uint32_t attributes = 0;
    std::string saved;        // file name inside the folder ('F', 'S')
    std::string path;         // the original path ('F', 'A', 'D'); the file's name ('P')
    std::string device;       // 'P' 
  };
  void Load();
  bool Append(const Entry& e);
  bool Holds(char kind, const std::string& path);
  bool EnsureFolder();
  bool RestoreStore(const Entry& e);
  bool RestoreFile(const Entry& e);
  bool RestoreOnDevice(const Entry& e);

  Platform& p_;
  std::string folder_;
  bool loaded_ = false;
  std::vector<Entry> entries_;
};

// One preparation of the boot: the journal its changes go into, and how a
// step tells that the user has asked the program to end meanwhile.
struct BootRun {
  UndoJournal& journal;
  std::function<bool()> stopRequested = [] { return false; };
  bool stopped = false;  // a step saw the request and undid the run
  bool undone = false;   // ... and the machine is back as the journal noted it

  // True (and the run undone) when the end of the program was requested.
  bool StopHere();
};

}  // namespace lum

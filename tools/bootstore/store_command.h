#pragma once
// The editor commands the boot chains issue, read from the argument text that
// follows the editor's name on its command line:
//
//   /export FILE                      /import FILE
//   /create {id} /d "title" /application bootsector|osloader
//   /create {id} /d "title" /device
//   /set {id} element value           /displayorder {id} /addlast
//   /timeout n                        /default {id}
//   /delete {id} [/f]
//
// Any of them may be preceded by "/store FILE" to name the store file. Option
// and element names are read without regard to letter case and may be
// separated by any run of blanks, as the chains pad element names to line up
// their values. Everything else is refused.
#include <string>
#include <string_view>

namespace lum {

enum class StoreVerb { Export, Import, Create, Set, DisplayOrderAddLast, Timeout, Default, Delete, Enum };

struct StoreCommand {
  StoreVerb verb = StoreVerb::Export;
  std::string store;        // from /store, empty when not given
  std::string id;           // the object the command addresses
  std::string file;         // /export, /import
  std::string description;  // /create /d
  std::string application;  // /create /application; empty for /create /device
  std::string element;      // /set, lower case
  std::string value;        // /set, checked and normalised
  unsigned timeout = 0;
};

bool ParseStoreCommand(std::string_view argText, StoreCommand& out, std::string& error);

// Checks and normalises the value of an element for /set; false with a reason
// for an element the editor does not know or a value it does not accept.
bool CheckElementValue(const std::string& element, std::string& value, std::string& error);

}  // namespace lum

#pragma once
// Local HTTP servers for the engine tests: the scripted Python server of this
// folder and a real nginx, each on a free port of 127.0.0.1, stopped when the
// object goes away.
#include <sys/types.h>

#include <string>
#include <vector>

namespace lum::enginetest {

class ServerProcess {
 public:
  ~ServerProcess() { Stop(); }
  void Stop();
  int port = 0;

 protected:
  // Starts argv; when readPort is set, the first stdout line is the port.
  bool Spawn(const std::vector<std::string>& argv, bool readPort);
  pid_t pid_ = -1;
};

// The scripted server: files of `root` at /f/NAME, behaviour in the query.
class ScriptedServer : public ServerProcess {
 public:
  bool Start(const std::string& root);
  std::string Url(const std::string& name, const std::string& query = "") const;
  // The server's counters for one file: requests, ranged, maxActive.
  int Stat(const std::string& name, const std::string& key) const;
  // How many of the bytes asked for the file fall inside the ranges [a, b).
  long long RequestedWithin(const std::string& name,
                            const std::vector<std::pair<long long, long long>>& ranges) const;
};

// nginx serving `root`; with ranges false it refuses every Range (max_ranges 0).
class NginxServer : public ServerProcess {
 public:
  bool Start(const std::string& root, const std::string& workDir, bool ranges);
  std::string Url(const std::string& name) const;
};

std::string Sha256File(const std::string& path);
std::string ReadFile(const std::string& path);
bool WriteFile(const std::string& path, const std::string& data);
std::string RandomBytes(std::size_t n, unsigned seed);
bool Exists(const std::string& path);

}  // namespace lum::enginetest

#include "test_servers.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>

#include <curl/curl.h>

namespace lum::enginetest {
namespace {

int FreePort() {
  int s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
  socklen_t len = sizeof a;
  getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
  close(s);
  return ntohs(a.sin_port);
}

bool Listening(int port) {
  int s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<uint16_t>(port));
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bool ok = connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
  close(s);
  return ok;
}

std::size_t Collect(char* p, std::size_t s, std::size_t n, void* out) {
  static_cast<std::string*>(out)->append(p, s * n);
  return s * n;
}

std::string HttpGetText(const std::string& url) {
  std::string body;
  CURL* c = curl_easy_init();
  curl_easy_setopt(c, CURLOPT_URL, url.c_str());
  curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, &Collect);
  curl_easy_setopt(c, CURLOPT_WRITEDATA, &body);
  curl_easy_perform(c);
  curl_easy_cleanup(c);
  return body;
}

}  // namespace

bool ServerProcess::Spawn(const std::vector<std::string>& argv, bool readPort) {
  int fds[2];
  if (pipe(fds) != 0) return false;
  pid_ = fork();
  if (pid_ == 0) {
    dup2(fds[1], 1);
    close(fds[0]);
    close(fds[1]);
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
  }
  close(fds[1]);
  if (readPort) {
    FILE* f = fdopen(fds[0], "r");
    if (!f || std::fscanf(f, "%d", &port) != 1) port = 0;
    if (f) std::fclose(f);
  } else {
    close(fds[0]);
  }
  for (int i = 0; i < 100 && port > 0; ++i) {
    if (Listening(port)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

void ServerProcess::Stop() {
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }
}

bool ScriptedServer::Start(const std::string& root) {
  return Spawn({"python3", LUMORA_TEST_SERVER_PY, root}, true);
}

std::string ScriptedServer::Url(const std::string& name, const std::string& query) const {
  return "http://127.0.0.1:" + std::to_string(port) + "/f/" + name + (query.empty() ? "" : "?" + query);
}

int ScriptedServer::Stat(const std::string& name, const std::string& key) const {
  std::string json = HttpGetText("http://127.0.0.1:" + std::to_string(port) + "/_stats?name=" + name);
  auto at = json.find("\"" + key + "\": ");
  return at == std::string::npos ? -1 : std::atoi(json.c_str() + at + key.size() + 4);
}

long long ScriptedServer::RequestedWithin(const std::string& name,
                                          const std::vector<std::pair<long long, long long>>& ranges) const {
  if (ranges.empty()) return 0;
  std::string query;
  for (const auto& [a, b] : ranges) query += (query.empty() ? "" : ",") + std::to_string(a) + "-" + std::to_string(b);
  std::string json =
      HttpGetText("http://127.0.0.1:" + std::to_string(port) + "/_stats?name=" + name + "&within=" + query);
  auto at = json.find("\"within\": ");
  return at == std::string::npos ? -1 : std::atoll(json.c_str() + at + 10);
}

bool NginxServer::Start(const std::string& root, const std::string& workDir, bool ranges) {
  port = FreePort();
  std::ostringstream conf;
  conf << "worker_processes 1;\nerror_log " << workDir << "/error.log;\npid " << workDir << "/nginx.pid;\n"
       << "events { worker_connections 256; }\n"
       << "http {\n  access_log off;\n  client_body_temp_path " << workDir << ";\n"
       << "  proxy_temp_path " << workDir << ";\n  fastcgi_temp_path " << workDir << ";\n"
       << "  uwsgi_temp_path " << workDir << ";\n  scgi_temp_path " << workDir << ";\n"
       << "  server {\n    listen 127.0.0.1:" << port << ";\n    root " << root << ";\n"
       << (ranges ? "" : "    max_ranges 0;\n") << "  }\n}\n";
  std::string path = workDir + "/nginx.conf";
  if (!WriteFile(path, conf.str())) return false;
  return Spawn({"nginx", "-p", workDir, "-c", path, "-g", "daemon off;"}, false);
}

std::string NginxServer::Url(const std::string& name) const {
  return "http://127.0.0.1:" + std::to_string(port) + "/" + name;
}

std::string Sha256File(const std::string& path) {
  std::string cmd = "sha256sum '" + path + "' 2>/dev/null";
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return {};
  char buf[128] = {};
  std::string out = std::fgets(buf, sizeof buf, p) ? std::string(buf, 64) : std::string();
  pclose(p);
  return out;
}

std::string ReadFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

bool WriteFile(const std::string& path, const std::string& data) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(data.data(), static_cast<std::streamsize>(data.size()));
  return static_cast<bool>(f);
}

std::string RandomBytes(std::size_t n, unsigned seed) {
  std::mt19937_64 rng(seed);
  std::string s(n, '\0');
  for (std::size_t i = 0; i < n; i += 8) {
    std::uint64_t v = rng();
    for (std::size_t k = 0; k < 8 && i + k < n; ++k) s[i + k] = static_cast<char>(v >> (8 * k));
  }
  return s;
}

bool Exists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

}  // namespace lum::enginetest

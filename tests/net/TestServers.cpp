// Starting, reading and stopping the test servers.
#include "net/TestServers.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace qg::test {

namespace {

const char kPython[] = "/usr/bin/python3";

std::string ScriptPath(const char* name) {
  return std::string(QG_SOURCE_DIR) + "/tests/net/" + name;
}

// Reads the child's first output line within `limit`; empty when it did not come.
std::string ReadFirstLine(int fd, std::chrono::milliseconds limit) {
  std::string line;
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (line.find('\n') == std::string::npos) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return {};
    pollfd p{fd, POLLIN, 0};
    const int n = poll(&p, 1, static_cast<int>(left.count()));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return {};
    char buffer[64];
    const ssize_t got = read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return {};
    line.append(buffer, static_cast<size_t>(got));
  }
  return line.substr(0, line.find('\n'));
}

std::string JsonString(const std::string& bytes) {
  std::string out = "\"";
  for (unsigned char c : bytes) {
    if (c == '"' || c == '\\' || c < 0x20 || c >= 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out += escaped;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

std::vector<std::string> ReadLines(const std::string& path) {
  std::vector<std::string> lines;
  std::ifstream in(path, std::ios::binary);
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

}  // namespace

ServerProcess::ServerProcess(const std::vector<std::string>& argv) {
  if (access(kPython, X_OK) != 0) {
    throw std::runtime_error(std::string(kPython) + " is missing: run scripts/deps.sh test");
  }
  int pipeFds[2];
  if (pipe2(pipeFds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  const pid_t parent = getpid();
  pid_ = fork();
  if (pid_ < 0) throw std::runtime_error("fork failed");
  if (pid_ == 0) {
    // The server must not outlive a test process that crashes or is killed.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(1);
    dup2(pipeFds[1], STDOUT_FILENO);
    execv(args[0], args.data());
    _exit(127);
  }
  close(pipeFds[1]);
  const std::string line = ReadFirstLine(pipeFds[0], std::chrono::seconds(20));
  close(pipeFds[0]);
  const int port = line.empty() ? 0 : std::atoi(line.c_str());
  if (port <= 0 || port > 65535) {
    Stop();
    throw std::runtime_error("the test server " + argv[1] +
                             " did not start (is python3-pyftpdlib installed?)");
  }
  port_ = static_cast<uint16_t>(port);
}

ServerProcess::~ServerProcess() { Stop(); }

void ServerProcess::Stop() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  for (int i = 0; i < 100; ++i) {
    if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
      pid_ = -1;
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  kill(pid_, SIGKILL);
  waitpid(pid_, nullptr, 0);
  pid_ = -1;
}

FtpTestServer::FtpTestServer(const FtpServerOptions& options) : options_(options) {
  std::filesystem::create_directory(root());
  std::vector<std::string> argv = {kPython,      ScriptPath("ftp_test_server.py"),
                                   "--root",     root(),
                                   "--log",      dir_.file("commands.log"),
                                   "--user",     options.user,
                                   "--password", options.password};
  if (!options.banner.empty()) {
    std::string banner = options.banner;
    for (size_t at = banner.find('\n'); at != std::string::npos; at = banner.find('\n', at + 2)) {
      banner.replace(at, 1, "\\n");
    }
    argv.insert(argv.end(), {"--banner", banner});
  }
  if (options.failStor > 0) {
    argv.insert(argv.end(),
                {"--fail-stor", std::to_string(options.failStor) + ":" + options.failReply});
  }
  if (options.dropData > 0)
    argv.insert(argv.end(), {"--drop-data", std::to_string(options.dropData)});
  if (!options.silentOn.empty()) argv.insert(argv.end(), {"--silent-on", options.silentOn});
  if (options.caseInsensitive) argv.push_back("--case-insensitive");
  if (!options.nlstEmptyReply.empty())
    argv.insert(argv.end(), {"--nlst-empty", options.nlstEmptyReply});
  if (options.giveUpData > 0) {
    argv.insert(argv.end(),
                {"--give-up-data", std::to_string(options.giveUpData) + ":" + options.giveUpReply});
  }
  if (!options.tlsCertificate.empty()) {
    argv.insert(argv.end(), {"--tls-cert", options.tlsCertificate, "--tls-key", options.tlsKey});
  }
  if (options.refuseRename) argv.push_back("--refuse-rnfr");
  argv.insert(argv.end(), {"--listen", options.listen});
  if (options.unboundData) argv.push_back("--unbound-data");
  process_ = std::make_unique<ServerProcess>(argv);
}

FtpTestServer::~FtpTestServer() = default;

std::string FtpTestServer::host() const {
  return options_.listen + ":" + std::to_string(process_->port());
}

std::vector<std::string> FtpTestServer::Commands() const {
  return ReadLines(dir_.file("commands.log"));
}

std::vector<std::string> FtpTestServer::CommandsWithoutPort() const {
  std::vector<std::string> out;
  for (std::string& line : Commands()) {
    if (line.rfind("PORT ", 0) != 0) out.push_back(std::move(line));
  }
  return out;
}

HttpTestServer::HttpTestServer(const std::map<std::string, HttpRoute>& routes) {
  std::ostringstream json;
  json << "{";
  bool first = true;
  for (const auto& [path, route] : routes) {
    json << (first ? "" : ",") << JsonString(path) << ":{\"status\":" << route.status
         << ",\"body\":" << JsonString(route.body) << ",\"delay\":" << route.delay
         << ",\"endless\":" << (route.endless ? "true" : "false")
         << ",\"require_cookie\":" << JsonString(route.requireCookie) << ",\"headers\":{";
    bool firstHeader = true;
    for (const auto& [name, value] : route.headers) {
      json << (firstHeader ? "" : ",") << JsonString(name) << ":" << JsonString(value);
      firstHeader = false;
    }
    json << "}}";
    first = false;
  }
  json << "}";
  WriteFile(dir_.file("routes.json"), json.str());
  process_ = std::make_unique<ServerProcess>(
      std::vector<std::string>{kPython, ScriptPath("http_test_server.py"), "--routes",
                               dir_.file("routes.json"), "--log", dir_.file("requests.log")});
}

HttpTestServer::~HttpTestServer() = default;

std::string HttpTestServer::base() const {
  return "http://127.0.0.1:" + std::to_string(process_->port());
}

std::vector<HttpRequestSeen> HttpTestServer::Requests() const {
  std::vector<HttpRequestSeen> requests;
  for (const std::string& line : ReadLines(dir_.file("requests.log"))) {
    if (line.rfind("PATH ", 0) == 0) {
      requests.push_back({line.substr(5), {}});
    } else if (!line.empty() && !requests.empty()) {
      const size_t colon = line.find(": ");
      if (colon != std::string::npos)
        requests.back().headers[line.substr(0, colon)] = line.substr(colon + 2);
    }
  }
  return requests;
}

uint16_t UnusedPort() {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  close(fd);
  return ntohs(address.sin_port);
}

std::string CommandOutput(const std::string& command) {
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) throw std::runtime_error("cannot run " + command);
  std::string out;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  const int status = pclose(pipe);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
    throw std::runtime_error("failed: " + command);
  return out;
}

std::string MissingForFtps() {
  if (std::system("/usr/bin/python3 -c 'import OpenSSL' >/dev/null 2>&1") != 0)
    return "python3-openssl (TLS for pyftpdlib) is not installed";
  if (access("/usr/bin/openssl", X_OK) != 0) return "openssl is not installed";
  return {};
}

std::string MissingForSftp() {
  if (access("/usr/sbin/sshd", X_OK) != 0)
    return "openssh-server (/usr/sbin/sshd) is not installed";
  if (access("/usr/bin/ssh-keygen", X_OK) != 0) return "ssh-keygen is not installed";
  return {};
}

TestCertificate MakeTestCertificate(const std::string& folder) {
  TestCertificate made;
  made.certificate = folder + "/cert.pem";
  made.key = folder + "/key.pem";
  CommandOutput(
      "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes "
      "-keyout '" +
      made.key + "' -out '" + made.certificate +
      "' -days 2 -subj /CN=127.0.0.1 -addext subjectAltName=IP:127.0.0.1 2>/dev/null");
  std::string b64 = CommandOutput("openssl x509 -in '" + made.certificate +
                                  "' -outform DER | openssl dgst -sha256 -binary | base64 -w0");
  while (!b64.empty() && (b64.back() == '\n' || b64.back() == '=')) b64.pop_back();
  made.fingerprint = "SHA256:" + b64;
  return made;
}

SshTestServer::SshTestServer() {
  process_ = std::make_unique<ServerProcess>(std::vector<std::string>{
      kPython, ScriptPath("ssh_test_server.py"), "--dir", dir_.path().string()});
}

SshTestServer::~SshTestServer() = default;

std::string SshTestServer::host() const { return "127.0.0.1:" + std::to_string(port()); }

std::string SshTestServer::user() const {
  std::string name = CommandOutput("id -un");
  while (!name.empty() && name.back() == '\n') name.pop_back();
  return name;
}

std::string SshTestServer::knownHostsLine() const {
  std::string key = ReadFile(dir_.file("host_key.pub"));
  // "type base64 comment": the comment stays out.
  const size_t second = key.find(' ', key.find(' ') + 1);
  key = key.substr(0, second);
  return "[127.0.0.1]:" + std::to_string(port()) + " " + key + "\n";
}

std::string SshTestServer::hostKeyFingerprint() const {
  const std::string line =
      CommandOutput("ssh-keygen -l -E sha256 -f '" + dir_.file("host_key.pub") + "'");
  const size_t start = line.find(' ') + 1;
  return line.substr(start, line.find(' ', start) - start);
}

}  // namespace qg::test

#include "ServerProcess.h"

#include "entity/Error.h"
#include "entity/Gbk.h"
#include "entity/Guid.h"
#include "entity/ParamNames.h"
#include "entity/TClientDataSet.h"
#include "entity/TParamData.h"
#include "password/LoginRequest.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <poll.h>
#include <spawn.h>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace corvo::server::test {

namespace {

// The folders this program made, removed when it ends (CORVO_KEEP_TEST_FILES keeps them for
// a look at the databases and server logs).
class TempFolders {
public:
    ~TempFolders()
    {
        if (std::getenv("CORVO_KEEP_TEST_FILES")) return;
        std::error_code ignored;
        for (const std::string& folder : m_folders)
            std::filesystem::remove_all(folder, ignored);
    }
    void add(std::string folder)
    {
        std::lock_guard guard(m_lock);
        m_folders.push_back(std::move(folder));
    }

private:
    std::mutex m_lock;
    std::vector<std::string> m_folders;
};

std::string tempFolder()
{
    // Made before any server is started, so destroyed after every static one has stopped.
    static TempFolders folders;
    std::string pattern = (std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp");
    pattern += "/corvo-server-test-XXXXXX";
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary folder");
    folders.add(pattern);
    return pattern;
}

std::vector<char*> argv(const std::vector<std::string>& args)
{
    std::vector<char*> out;
    out.push_back(const_cast<char*>(serverBinary().c_str()));
    for (const auto& a : args)
        out.push_back(const_cast<char*>(a.c_str()));
    out.push_back(nullptr);
    return out;
}

int waitExit(int pid)
{
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    return WIFSIGNALED(status) ? -WTERMSIG(status) : -1;
}

// Making the demo company costs seconds under the sanitizers, and CTest runs every test as a
// program of its own, so the file is made once per server build, kept beside the binary, and
// each test starts from a copy (the server closes it cleanly: there is no journal to copy).
std::filesystem::path pristineDemo()
{
    namespace fs = std::filesystem;
    const fs::path binary = serverBinary();
    const std::string build = std::to_string(static_cast<uint64_t>(
                                  fs::last_write_time(binary).time_since_epoch().count())) +
                              "-" + std::to_string(fs::file_size(binary));
    const fs::path kept = binary.parent_path() / ("demo-" + build + ".db");
    if (fs::exists(kept)) return kept;
    const std::string made = tempFolder() + "/demo.db";
    std::string out;
    if (runServerCommand({"init-demo", "--db", "sqlite:" + made, "--force"}, &out) != 0)
        throw std::runtime_error("init-demo failed: " + out);
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator(binary.parent_path(), ignored)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with("demo-") && name.ends_with(".db") && entry.path() != kept)
            fs::remove(entry.path(), ignored); // another build's
    }
    // Two programs may make it at once; the rename is atomic, so whichever file wins is whole.
    fs::path part = kept;
    part += "." + std::to_string(::getpid());
    fs::copy_file(made, part);
    fs::rename(part, kept);
    return kept;
}

} // namespace

const std::string& serverBinary()
{
    static const std::string path = CORVO_SERVER_BINARY;
    return path;
}

int runServerCommand(const std::vector<std::string>& args, std::string* output)
{
    const std::string outPath = tempFolder() + "/out.txt";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    auto a = argv(args);
    int pid = -1;
    const int rc = posix_spawn(&pid, serverBinary().c_str(), &actions, nullptr, a.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) throw std::runtime_error("cannot start " + serverBinary());
    const int code = waitExit(pid);
    if (output) {
        std::ifstream in(outPath);
        output->assign(std::istreambuf_iterator<char>(in), {});
    }
    return code;
}

bool postgresAvailable()
{
    const char* url = std::getenv("CORVO_TEST_PG_URL");
    return url && *url;
}

std::string makeDemoDatabase(bool postgres)
{
    if (postgres) {
        if (!postgresAvailable()) throw std::runtime_error("CORVO_TEST_PG_URL is not set");
        const std::string url = std::getenv("CORVO_TEST_PG_URL");
        std::string out;
        if (runServerCommand({"init-demo", "--db", url, "--force"}, &out) != 0)
            throw std::runtime_error("init-demo failed: " + out);
        return url;
    }
    const std::string path = tempFolder() + "/demo.db";
    std::filesystem::copy_file(pristineDemo(), path);
    return "sqlite:" + path;
}

ServerProcess::ServerProcess(const std::string& dbUrl, std::vector<std::string> extraArgs)
{
    m_logPath = tempFolder() + "/server.log";
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addopen(&actions, 2, m_logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    std::vector<std::string> args = {"serve", "--listen", "127.0.0.1:0", "--db", dbUrl};
    args.insert(args.end(), extraArgs.begin(), extraArgs.end());
    auto a = argv(args);
    const int rc =
        posix_spawn(&m_pid, serverBinary().c_str(), &actions, nullptr, a.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    if (rc != 0) {
        ::close(out[0]);
        m_pid = -1;
        throw std::runtime_error("cannot start " + serverBinary());
    }
    // The first line tells the port; the server prints it once it accepts.
    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (line.find('\n') == std::string::npos && std::chrono::steady_clock::now() < deadline) {
        pollfd p{out[0], POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0) continue;
        char buf[256];
        const ssize_t n = ::read(out[0], buf, sizeof buf);
        if (n <= 0) break;
        line.append(buf, static_cast<std::size_t>(n));
    }
    ::close(out[0]);
    const std::string prefix = "listening on ";
    if (!line.starts_with(prefix)) {
        stop();
        throw std::runtime_error("corvo-server did not start: " + line + log());
    }
    m_url = line.substr(prefix.size(), line.find('\n') - prefix.size());
    const std::size_t colon = m_url.rfind(':');
    m_port = static_cast<uint16_t>(std::stoi(m_url.substr(colon + 1)));
}

ServerProcess::~ServerProcess()
{
    stop();
}

int ServerProcess::stop()
{
    if (m_pid <= 0) return 0;
    ::kill(m_pid, SIGTERM);
    const int pid = m_pid;
    m_pid = -1;
    std::atomic<bool> done{false};
    std::thread killer([&] {
        for (int i = 0; i < 300 && !done; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        if (!done) ::kill(pid, SIGKILL);
    });
    const int code = waitExit(pid);
    done = true;
    killer.join();
    return code;
}

bool ServerProcess::alive() const
{
    if (m_pid <= 0) return false;
    siginfo_t info{};
    // WNOWAIT leaves the exit status for stop() to collect.
    if (::waitid(P_PID, static_cast<id_t>(m_pid), &info, WEXITED | WNOHANG | WNOWAIT) != 0)
        return false;
    return info.si_pid == 0;
}

std::size_t ServerProcess::peakResidentBytes() const
{
    std::ifstream in("/proc/" + std::to_string(m_pid) + "/status");
    for (std::string line; std::getline(in, line);)
        if (line.starts_with("VmHWM:")) return std::stoull(line.substr(6)) * 1024;
    return 0;
}

double ServerProcess::cpuSeconds() const
{
    std::ifstream in("/proc/" + std::to_string(m_pid) + "/stat");
    std::string stat((std::istreambuf_iterator<char>(in)), {});
    // Fields after the command's closing parenthesis: state is the 3rd, utime the 14th.
    std::istringstream fields(stat.substr(stat.rfind(')') + 2));
    std::string field;
    double ticks = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i)
        if (i >= 14) ticks += std::stod(field);
    return ticks / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

std::string ServerProcess::log() const
{
    std::ifstream in(m_logPath);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

LoginPacket::LoginPacket(const std::string& organCode, const std::string& userCode,
                         const std::string& password, const std::string& newPassword)
    : TParamData(paramkind::Data)
{
    TClientDataSet login;
    declareLoginRequest(login);
    fillLoginRequest(login, gbk::fromUtf8(organCode), gbk::fromUtf8(userCode),
                     gbk::fromUtf8(password), gbk::fromUtf8(newPassword));
    SetParamValue(param::AppName, Variant(param::AppNameValue));
    SetParamData("MLogin", login.Data());
}

TestCertificates::TestCertificates()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "corvo-tls-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot make a folder");
    m_dir = pattern;
    const std::string key = " -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes";
    run("openssl req -x509" + key + " -keyout ca.key -out ca.pem -days 2 -subj /CN=CorvoTestCA");
    run("openssl req" + key + " -keyout server.key -out server.csr -subj /CN=127.0.0.1");
    run("printf 'subjectAltName=IP:127.0.0.1\\n' > ext.cnf");
    run("openssl x509 -req -in server.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 2 "
        "-extfile ext.cnf -out server.pem");
}

TestCertificates::~TestCertificates()
{
    std::error_code ignored;
    std::filesystem::remove_all(m_dir, ignored);
}

void TestCertificates::run(const std::string& command) const
{
    const std::string line = "cd '" + m_dir + "' && " + command + " >/dev/null 2>&1";
    if (std::system(line.c_str()) != 0) throw std::runtime_error("failed: " + command);
}

} // namespace corvo::server::test

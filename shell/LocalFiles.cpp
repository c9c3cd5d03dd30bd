#include "LocalFiles.h"

#include "entity/Error.h"
#include "entity/TClientDataSet.h"
#include "remote/Envelope.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

namespace corvo::shell {

namespace fs = std::filesystem;

std::string chooseAppDir(const AppDirInputs& in)
{
    std::string dir;
    if (!in.corvoHome.empty()) {
        dir = in.corvoHome;
    } else if (in.programDirWritable && !in.programDir.starts_with("/usr/")) {
        dir = in.programDir;
    } else if (in.xdgDataHome.starts_with("/")) {
        dir = in.xdgDataHome + "/corvo";
    } else {
        dir = in.home + "/.local/share/corvo";
    }
    if (dir.empty() || dir.back() != '/') dir += '/';
    return dir;
}

std::string appDir()
{
    auto env = [](const char* name) {
        const char* value = std::getenv(name);
        return std::string(value ? value : "");
    };
    AppDirInputs in;
    in.corvoHome = env("CORVO_HOME");
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    in.programDir = ec ? fs::current_path().string() : exe.parent_path().string();
    in.programDirWritable = ::access(in.programDir.c_str(), W_OK) == 0;
    in.xdgDataHome = env("XDG_DATA_HOME");
    in.home = env("HOME");
    return chooseAppDir(in);
}

std::string dataDir()
{
    return appDir() + "Data/";
}

std::string bmpDir()
{
    return appDir() + "Bmp/";
}

bool readLocalFile(const std::string& path, Bytes& content)
{
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) return false;
    std::ifstream in(path, std::ios::binary);
    if (!in) throw Error("不能读取文件：" + path + "（" + std::strerror(errno) + "）");
    const Bytes raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    try {
        content = remote::envelope::unpack(raw);
    } catch (const Error& e) {
        throw Error("文件已损坏：" + path + "（" + e.what() + "）");
    }
    return true;
}

void writeLocalFile(const std::string& path, std::span<const uint8_t> content)
{
    const Bytes packed = remote::envelope::pack(content);
    const fs::path target(path);
    std::error_code ec;
    if (target.has_parent_path()) fs::create_directories(target.parent_path(), ec);
    const std::string temp = path + ".tmp" + std::to_string(::getpid());
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(packed.data()),
                  static_cast<std::streamsize>(packed.size()));
        out.flush();
        if (!out) {
            const std::string why = std::strerror(errno);
            fs::remove(temp, ec);
            throw Error("不能写入文件：" + path + "（" + why + "）");
        }
    }
    fs::rename(temp, target, ec);
    if (ec) {
        fs::remove(temp, ec);
        throw Error("不能写入文件：" + path + "（" + ec.message() + "）");
    }
}

bool loadDataSetFile(const std::string& path, TClientDataSet& dataSet)
{
    Bytes content;
    if (!readLocalFile(path, content)) return false;
    dataSet.SetData(Variant(std::move(content)));
    return true;
}

void saveDataSetFile(const std::string& path, TClientDataSet& dataSet)
{
    if (dataSet.State() == DataSetState::Edit || dataSet.State() == DataSetState::Insert)
        dataSet.Post();
    dataSet.MergeChangeLog();
    const Variant packet = dataSet.Data();
    writeLocalFile(path, packet.asBytes());
}

} // namespace corvo::shell

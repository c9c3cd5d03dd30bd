#pragma once

#include "entity/Variant.h"

#include <span>
#include <string>

namespace corvo {
class TClientDataSet;
}

namespace corvo::shell {

/// The program directory with a trailing '/': the environment variable CORVO_HOME when set;
/// otherwise the directory of the running executable when the user may write there and it is
/// not an installed program (under /usr/); otherwise the user's own $XDG_DATA_HOME/corvo
/// (~/.local/share/corvo when XDG_DATA_HOME is unset or not absolute).
std::string appDir();

/// What appDir() decides from what it finds; the result ends in '/'.
struct AppDirInputs {
    std::string corvoHome;
    std::string programDir;
    bool programDirWritable = false;
    std::string xdgDataHome;
    std::string home;
};
std::string chooseAppDir(const AppDirInputs& in);
/// appDir() + "Data/": the cached datasets and the two configuration files.
std::string dataDir();
/// appDir() + "Bmp/": the compressed pictures.
std::string bmpDir();

/// A local file: its content's length (4 bytes, little-endian), then the content as one zlib
/// stream at the default level. False when the file does not exist; corvo::Error naming the
/// file when it is not in this format (the output is then untouched).
bool readLocalFile(const std::string& path, Bytes& content);
/// Writes through a temporary file renamed over the old one, so a failed write never leaves a
/// half file behind. Creates missing directories. Throws corvo::Error naming the file.
void writeLocalFile(const std::string& path, std::span<const uint8_t> content);

/// A dataset's data packet in a local file. Loading replaces structure and rows only when the
/// whole file reads and loads; saving posts a pending edit and merges the change log first.
bool loadDataSetFile(const std::string& path, TClientDataSet& dataSet);
void saveDataSetFile(const std::string& path, TClientDataSet& dataSet);

} // namespace corvo::shell

#include "desktop/ProcessRestart.h"

#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace quillora {

namespace {

constexpr const char* kSelf = "/proc/self/exe";

} // namespace

ProcessRestart::ProcessRestart(int argc, char** argv, const std::vector<std::string>& oneShot)
{
    for (int i = 0; i < argc; ++i) {
        if (i == 0 || std::find(oneShot.begin(), oneShot.end(), argv[i]) == oneShot.end()) {
            m_arguments.emplace_back(argv[i]);
        }
    }
}

QString ProcessRestart::program()
{
    return QFileInfo(QString::fromLatin1(kSelf)).canonicalFilePath();
}

QString ProcessRestart::exec() const
{
    std::vector<char*> argv;
    argv.reserve(m_arguments.size() + 1);
    for (const std::string& argument : m_arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    // The link rather than its target: it names the binary this process runs even when the file
    // was replaced by an upgrade since.
    ::execv(kSelf, argv.data());
    return QString::fromLocal8Bit(std::strerror(errno));
}

} // namespace quillora

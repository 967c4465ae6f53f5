#include "Shell.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStringList>
#include <QUrl>

namespace {

class TQtShell : public TShell {
public:
    bool StartProgram(const std::string& program, const std::vector<std::string>& arguments) override
    {
        QStringList list;
        for (const std::string& argument : arguments)
            list << QString::fromStdString(argument);
        return QProcess::startDetached(QString::fromStdString(program), list);
    }

    bool OpenDocument(const std::string& fileName) override
    {
        return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(fileName)));
    }

    bool OpenAddress(const std::string& address) override
    {
        return QDesktopServices::openUrl(QUrl(QString::fromStdString(address)));
    }
};

TShell* current = nullptr;

} // namespace

TShell& Shell()
{
    static TQtShell qtShell;
    return current ? *current : qtShell;
}

TShellScope::TShellScope(TShell& shell) : previous_(current)
{
    current = &shell;
}

TShellScope::~TShellScope()
{
    current = previous_;
}

#include "dialogs/QtDialogs.h"

#include <filesystem>

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QStringList>

#include "dispatch/ModalLoops.h"
#include "screen/Fonts.h"
#include "screen/PasswordEcho.h"

namespace {

QString ToQt(const std::string& text) { return QString::fromStdString(text); }

QMessageBox::StandardButtons ButtonsOf(unsigned flags)
{
    switch (flags & MB_BUTTONSMASK) {
    case MB_OKCANCEL: return QMessageBox::Ok | QMessageBox::Cancel;
    case MB_ABORTRETRYIGNORE: return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
    case MB_YESNOCANCEL: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case MB_YESNO: return QMessageBox::Yes | QMessageBox::No;
    case MB_RETRYCANCEL: return QMessageBox::Retry | QMessageBox::Cancel;
    default: return QMessageBox::Ok;
    }
}

QMessageBox::Icon IconOf(unsigned flags)
{
    switch (flags & MB_ICONMASK) {
    case MB_ICONSTOP: return QMessageBox::Critical;
    case MB_ICONQUESTION: return QMessageBox::Question;
    case MB_ICONWARNING: return QMessageBox::Warning;
    case MB_ICONINFORMATION: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

int ResultOf(QMessageBox::StandardButton button)
{
    switch (button) {
    case QMessageBox::Ok: return IDOK;
    case QMessageBox::Abort: return IDABORT;
    case QMessageBox::Retry: return IDRETRY;
    case QMessageBox::Ignore: return IDIGNORE;
    case QMessageBox::Yes: return IDYES;
    case QMessageBox::No: return IDNO;
    default: return IDCANCEL;
    }
}

// The answer of a box that nobody answered, because the program ends: the
// one that does least (Cancel, No or Abort; OK when it is the only button).
int DismissedAnswer(unsigned flags)
{
    switch (flags & MB_BUTTONSMASK) {
    case MB_OK: return IDOK;
    case MB_YESNO: return IDNO;
    case MB_ABORTRETRYIGNORE: return IDABORT;
    default: return IDCANCEL;
    }
}

// A dialog's modal showing, which the end of the program ends as a Cancel.
int ExecuteDialog(QDialog& dialog)
{
    if (ModalLoopsEnded())
        return QDialog::Rejected;
    const TRunningModalLoop running([&dialog] { dialog.reject(); });
    return dialog.exec();
}

// The folder to start in: InitialDir, else the preset file's folder.
QString StartPath(const TOpenDialog& dialog)
{
    std::filesystem::path start(dialog.InitialDir);
    return ToQt((start / dialog.FileName).string());
}

// A save dialog that gives the name as typed. Qt's own reads a name with a
// double quote as a list of quoted names ('it's "quoted"' would be
// "quoted"), so such a name is taken here, against the dialog's folder.
class TSaveFileDialog : public QFileDialog {
public:
    using QFileDialog::QFileDialog;

    QString Chosen() const { return typed_.isEmpty() ? selectedFiles().value(0) : typed_; }

protected:
    void accept() override
    {
        auto* name = findChild<QLineEdit*>("fileNameEdit");
        if (!name || !name->text().contains('"')) {
            QFileDialog::accept();
            return;
        }
        const QString path = directory().absoluteFilePath(name->text());
        if (QFileInfo(path).isDir()) {
            setDirectory(path);
            name->clear();
            return;
        }
        typed_ = path;
        QDialog::accept();
    }

private:
    QString typed_;
};

QString WithDefaultExt(const QString& chosen, const std::string& defaultExt)
{
    if (defaultExt.empty() || !std::filesystem::path(chosen.toStdString()).extension().empty())
        return chosen;
    return chosen + "." + ToQt(defaultExt);
}

} // namespace

QString QtNameFilters(const std::string& filter)
{
    QStringList parts = ToQt(filter).split('|');
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i];
        int open = description.lastIndexOf('(');
        if (open > 0 && description.endsWith(')'))
            description = description.left(open).trimmed();
        QString patterns = parts[i + 1];
        patterns.replace(';', ' ');
        filters << description + " (" + patterns + ")";
    }
    return filters.join(";;");
}

int TQtDialogs::MessageBox(const std::string& text, const std::string& caption, unsigned flags)
{
    QMessageBox box(IconOf(flags), ToQt(caption), ToQt(text), ButtonsOf(flags), QApplication::activeWindow());
    box.setFont(ScreenDefaultFont());
    ExecuteDialog(box);
    if (!box.clickedButton())
        return DismissedAnswer(flags);
    return ResultOf(box.standardButton(box.clickedButton()));
}

bool TQtDialogs::InputQuery(const std::string& caption, const std::string& prompt, std::string& value)
{
    return Query(caption, prompt, value, 0);
}

bool TQtDialogs::PasswordQuery(const std::string& caption, const std::string& prompt, std::string& value)
{
    return Query(caption, prompt, value, '*');
}

bool TQtDialogs::Query(const std::string& caption, const std::string& prompt, std::string& value, char passwordChar)
{
    QInputDialog box(QApplication::activeWindow());
    box.setFont(ScreenDefaultFont());
    box.setWindowTitle(ToQt(caption));
    box.setLabelText(ToQt(prompt));
    box.setTextValue(ToQt(value));
    if (auto* edit = box.findChild<QLineEdit*>())
        SetPasswordEcho(*edit, passwordChar);
    if (ExecuteDialog(box) != QDialog::Accepted)
        return false;
    value = box.textValue().toStdString();
    return true;
}

bool TQtDialogs::ExecuteOpen(TOpenDialog& dialog)
{
    QFileDialog files(QApplication::activeWindow(), ToQt(dialog.Title), StartPath(dialog), QtNameFilters(dialog.Filter));
    files.setFileMode(dialog.Options & ofAllowMultiSelect ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    if (ExecuteDialog(files) != QDialog::Accepted || files.selectedFiles().isEmpty())
        return false;
    dialog.Files.clear();
    for (const QString& file : files.selectedFiles())
        dialog.Files.push_back(file.toStdString());
    dialog.FileName = dialog.Files.front();
    return true;
}

bool TQtDialogs::ExecuteSave(TSaveDialog& dialog)
{
    TSaveFileDialog files(QApplication::activeWindow(), ToQt(dialog.Title), StartPath(dialog),
                          QtNameFilters(dialog.Filter));
    files.setAcceptMode(QFileDialog::AcceptSave);
    files.setFileMode(QFileDialog::AnyFile);
    // Replacing is asked about above the dialogs (TSaveDialog::Execute), in
    // the programs' own words, about the name they will write.
    files.setOption(QFileDialog::DontConfirmOverwrite);
    if (ExecuteDialog(files) != QDialog::Accepted || files.Chosen().isEmpty())
        return false;
    dialog.FileName = WithDefaultExt(files.Chosen(), dialog.DefaultExt).toStdString();
    dialog.Files = {dialog.FileName};
    return true;
}

std::optional<std::string> TQtDialogs::SelectFolder(const std::string& caption, const std::string& startFolder)
{
    QFileDialog folders(QApplication::activeWindow(), ToQt(caption), ToQt(startFolder));
    folders.setFileMode(QFileDialog::Directory);
    folders.setOption(QFileDialog::ShowDirsOnly);
    if (ExecuteDialog(folders) != QDialog::Accepted || folders.selectedFiles().isEmpty())
        return std::nullopt;
    return folders.selectedFiles().front().toStdString();
}

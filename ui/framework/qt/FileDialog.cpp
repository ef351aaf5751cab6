#include "ui/framework/FileDialog.h"

#include "ui/framework/Dialog.h"
#include "ui/framework/qt/DialogWindow.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QSortFilterProxyModel>

namespace telmaq {

namespace {

// On Linux a program has no extension: the first filter lists what may be run, the second
// every file, with or without a dot in its name.
const char kApplicationFilter[] = "Application Files (*)";
const char kAllFilesFilter[] = "All Files (*)";

// What the first filter lists: folders and the files the user may run. Qt's own permission
// filter cannot say this: asked for executables it also hides every entry that is readable
// or writable, which leaves nothing.
class ProgramsAndFolders : public QSortFilterProxyModel
{
public:
    explicit ProgramsAndFolders(QObject* parent) : QSortFilterProxyModel(parent) {}

    void setProgramsOnly(bool programsOnly)
    {
        m_programsOnly = programsOnly;
        invalidateFilter();
    }

protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override
    {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (!m_programsOnly || !files)
            return true;
        const QFileInfo info = files->fileInfo(files->index(row, 0, parent));
        return info.isDir() || info.isExecutable();
    }

private:
    bool m_programsOnly = true;
};

} // namespace

bool browseForProgram(Dialog& owner, std::string& path)
{
    // Qt's own dialog on every desktop: the portal dialogs know nothing of the filter for
    // programs below.
    QFileDialog dialog(qtWindow(owner));
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilters({QString::fromLatin1(kApplicationFilter), QString::fromLatin1(kAllFilesFilter)});
    dialog.selectNameFilter(QString::fromLatin1(kApplicationFilter));
    dialog.setFilter(QDir::AllDirs | QDir::Files | QDir::Drives | QDir::NoDot);
    auto* programs = new ProgramsAndFolders(&dialog);
    dialog.setProxyModel(programs);
    QObject::connect(&dialog, &QFileDialog::filterSelected, programs, [programs](const QString& filter) {
        programs->setProgramsOnly(filter == QLatin1String(kApplicationFilter));
    });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    path = QFileInfo(dialog.selectedFiles().constFirst()).absoluteFilePath().toStdString();
    return true;
}

} // namespace telmaq

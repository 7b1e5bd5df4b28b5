#pragma once

#include <QDir>
#include <QString>
#include <QTemporaryDir>

#include "core/links/Link.h"
#include "core/settings/DocumentsFolder.h"
#include "core/settings/ProgramFolder.h"
#include "core/settings/ProgramOptions.h"
#include "localizer/LanguageManager.h"

// A temporary home for a bench over the main window: its Documents and
// Program folders are the program's, options and languages start afresh.
// Made before the window and gone after it: the link, the options, the
// program folder and the languages are set back.
class BenchHome {
public:
    BenchHome()
    {
        ResetProgramOptions();
        ResetLangManager();
        QDir home(m_dir.path());
        home.mkpath(QStringLiteral("Documents"));
        home.mkpath(QStringLiteral("Program"));
        SetDocumentsFolderOverride(FilePath(QStringLiteral("Documents")));
        SetProgramFolderOverride(FilePath(QStringLiteral("Program")));
    }
    ~BenchHome()
    {
        ResetLink();
        ResetProgramOptions();
        SetProgramFolderOverride(QString());
        ResetLangManager();
    }
    BenchHome(const BenchHome&) = delete;
    BenchHome& operator=(const BenchHome&) = delete;

    QString Path() const { return m_dir.path(); }
    QString FilePath(const QString& name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
};

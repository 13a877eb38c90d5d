#pragma once

#include "app/Prompts.h"
#include "doclist/DocumentListModel.h"

namespace fk {

inline const QString kAddFilesTitle = QStringLiteral("Add File(s) - Hold Ctrl to select multiple files");
inline const QString kWriterFilesFilter = QStringLiteral("Open Office Writer Documents (*.odt)|*.odt");
inline const QString kTooManyFilesMessage =
    QStringLiteral("You've selected too many files to add.\r\rPlease try adding via the \"Add All\" button.");

// The file dialog's filters: every document the program splits first, then the Writer documents alone.
QString AddFilesFilter();

// "Add Writer File(s)": appends the documents picked in the file dialog.
void PushButton1_Click(Prompts& prompts, DocumentListModel& list);

// Appends files named elsewhere (the command line, a later start) as the dialog's choice is appended.
void AppendNamedFiles(const QStringList& paths, DocumentListModel& list);

}  // namespace fk

#pragma once

#include <QStringList>
#include <functional>

#include "app/FileSystem.h"
#include "app/Prompts.h"
#include "app/WindowPointer.h"
#include "base/SettingsStore.h"
#include "gather/DocumentSink.h"

namespace fk {

inline const QString kExtensionPrompt = QStringLiteral(
    "Enter file extension to load:\r\r(* for all files, txt for all txt files, doc for all doc files, etc.)");
inline const QString kSelectFolderTitle = QStringLiteral("Please select folder:");

struct FolderScanServices {
    Prompts& prompts;
    SettingsStore& settings;
    FileSystem& fileSystem;
    WindowPointer& pointer;
    std::function<void()> yield;
};

// "Add All Writer File(s) In Folder": asks for an extension and a folder, then appends the documents
// of the folder tree that GatherFolder finds and whose names match the extension, in its order.
void PushButton6_Click(FolderScanServices& services, DocumentSink& list);

// The scan behind "Add All Writer File(s) In Folder" once the extension and folder are known: every
// document of the folder tree GatherFolder finds that matches the extension, in its order, reported
// under that procedure's name.
void AddWriterDocumentsInFolder(const QString& folder, const QString& extension, DocumentSink& list,
                                FileSystem& fileSystem, Prompts& prompts, const std::function<void()>& yield);

// Files and folders dropped on the list: files as delivered, folders with every file of their tree.
void AddDroppedPaths(const QStringList& paths, DocumentSink& list, FileSystem& fileSystem, Prompts& prompts,
                     const std::function<void()>& yield);

}  // namespace fk

#include "app/SampleFiles.h"

#include "app/Platform.h"
#include "gather/Samples.h"

namespace fk {

void LoadSampleFiles(DocumentSink& list, const QString& programFolder, Prompts& prompts) {
    AppendSampleFiles(list, programFolder);
    if (prompts.messageBox(kOpenSamplesQuestion, kYesNo) == MessageAnswer::Yes) {
        prompts.openExternally(SamplesFolder(programFolder) + platform::kPathSeparator);
    }
}

}  // namespace fk

#include "UnfoldingDocument.h"

#include <QFile>
#include <string>
#include <utility>
#include <vector>

#include "../slicer/TestPackage.h"

namespace fk::test {

void WriteUnfoldingDocument(const QString& plain, const QString& path) {
    std::vector<std::pair<std::string, std::string>> entries;
    for (const slicer::TestPackage::Entry& entry :
         slicer::TestPackage::read(QFile::encodeName(plain).toStdString())) {
        std::string data = entry.data;
        if (entry.name == "content.xml") {
            std::string words;
            words.reserve(200u << 20);
            while (words.size() < (200u << 20)) words += "unfolding comment words ";
            const std::size_t paragraph = data.find('>', data.find("<text:p")) + 1;
            data.insert(paragraph, "<office:annotation><dc:creator>x</dc:creator><text:p>" + words +
                                       "</text:p></office:annotation>");
        }
        entries.emplace_back(entry.name, std::move(data));
    }
    slicer::TestPackage::write(QFile::encodeName(path).toStdString(), entries);
}

}  // namespace fk::test

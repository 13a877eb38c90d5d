#include <QRandomGenerator>
#include <QTime>

#include "app/StartUp.h"

namespace fk {

QString SetAppTitle(const QString& productName) {
    QString title = productName;
    if (!title.contains(QLatin1Char(' '))) return title.left(kAppTitleMaxLength);
    do {
        const qsizetype blank = title.lastIndexOf(QLatin1Char(' '));
        if (blank < 0) return title.left(kAppTitleMaxLength);
        title.truncate(blank);
    } while (title.size() > kAppTitleMaxLength);
    return title;
}

RandomSource TimerSeededRandom() {
    auto generator = std::make_shared<QRandomGenerator>(
        static_cast<quint32>(QTime::currentTime().msecsSinceStartOfDay() / 1000));
    return [generator] { return generator->generateDouble(); };
}

void OpenMakerSiteAtRandom(const RandomSource& random, Prompts& prompts) {
    const int draw = static_cast<int>(random() * 100) + 1;
    if (draw == 7) prompts.openExternally(kMakerHomePage);
}

QString HelpMessage() {
    return QStringLiteral(
               "This software will split documents into one page documents. Unfortunately, sometimes the "
               "font and font "
               "size cannot be preserved so that splits do not come out perfect.") +
           QStringLiteral("\r\r") + QStringLiteral("Questions? Please contact Team Kestrune at") +
           // On a line of its own: a box narrower than the sentence would break the address at a "/".
           QStringLiteral("\r") + kMakerContactPage;
}

}  // namespace fk

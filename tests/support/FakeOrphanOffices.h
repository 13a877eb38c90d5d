#pragma once

#include <QStringList>

#include "cli/OrphanOffices.h"

namespace fk::test {

// Records the profile folders whose orphan offices were to be stopped.
class FakeOrphanOffices : public cli::OrphanOffices {
public:
    void stopOfficesUsing(const QString& profileFolder) override { stopped << profileFolder; }
    QStringList stopped;
};

}  // namespace fk::test

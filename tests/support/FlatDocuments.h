#pragma once

#include <QString>

namespace fk::test {

// `count` words picked by a small deterministic generator, so that every run writes the same document.
QString Words(int seed, int count);
// Paragraphs of `words` words each, seeds from `seed` on.
QString Paragraphs(int seed, int count, int words = 60);

// Flat OpenDocument text around a body, with automatic styles and master pages (empty: the office's).
struct FlatParts {
    QString body;
    QString automaticStyles = {};
    QString masterStyles = {};
    // The config-item-sets of office:settings, e.g. the view settings.
    QString settings = {};
};
QString FlatOdt(const FlatParts& parts);

}  // namespace fk::test

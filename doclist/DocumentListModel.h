#pragma once

#include <QAbstractListModel>
#include <QStringList>

#include "gather/DocumentSink.h"

namespace fk {

// The rows of the document list: one path text each, in splitting order.
class DocumentListModel : public QAbstractListModel, public DocumentSink {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    bool removeRows(int row, int count, const QModelIndex& parent = {}) override;

    // The one way a row is added: at the end, checked for nothing.
    void AppendDocument(const QString& path) override;
    void clear();
    int count() const { return static_cast<int>(rows_.size()); }
    // 1-based, as the split run counts.
    QString text(int index) const { return rows_.at(index - 1); }
    QStringList texts() const override { return rows_; }

    void setColumnHeader(const QString& header);

private:
    QStringList rows_;
    QString header_;
};

}  // namespace fk

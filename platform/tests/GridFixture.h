#pragma once

// Shared by the grid tests: a small goods table, what a view can see of a model, and the
// model's signals as short texts.
#include "entity/DataSetListener.h"
#include "entity/tests/TestTables.h"

#include <QAbstractItemModel>
#include <QStringList>
#include <initializer_list>

namespace corvo::platform::test {

using corvo::test::G;

inline QString Q(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

/// Code (text 10), Name (text 20), Qty (integer), Amount (BCD 2); one row per code, named
/// "name " + code, Qty its position. The cursor ends on the first row.
inline void buildGoods(TClientDataSet& ds, std::initializer_list<const char*> codes)
{
    corvo::test::build(ds, {{"Code", FieldType::String, 10},
                            {"Name", FieldType::String, 20},
                            {"Qty", FieldType::Integer},
                            {"Amount", FieldType::BCD, 2}});
    int qty = 0;
    for (const char* code : codes) {
        ds.Append();
        ds.FieldByName("Code").SetAsString(code);
        ds.FieldByName("Name").SetAsString(std::string("name ") + code);
        ds.FieldByName("Qty").SetAsInteger(++qty);
        ds.Post();
    }
    if (ds.Active()) ds.First();
}

/// Everything a view can read: the titles, then every row's cells, " | " between cells.
inline QStringList snapshot(const QAbstractItemModel& model)
{
    QStringList out;
    QStringList cells;
    for (int c = 0; c < model.columnCount(); ++c)
        cells << model.headerData(c, Qt::Horizontal).toString();
    out << cells.join(QStringLiteral(" | "));
    for (int r = 0; r < model.rowCount(); ++r) {
        cells.clear();
        for (int c = 0; c < model.columnCount(); ++c)
            cells << model.data(model.index(r, c)).toString();
        out << cells.join(QStringLiteral(" | "));
    }
    return out;
}

/// The texts of one column, top to bottom.
inline QStringList columnTexts(const QAbstractItemModel& model, int column)
{
    QStringList out;
    for (int r = 0; r < model.rowCount(); ++r)
        out << model.data(model.index(r, column)).toString();
    return out;
}

inline QStringList titles(const QAbstractItemModel& model)
{
    QStringList out;
    for (int c = 0; c < model.columnCount(); ++c)
        out << model.headerData(c, Qt::Horizontal).toString();
    return out;
}

/// The model's signals in order: "reset", "inserted 3-3", "removed 1-1", "header",
/// "changed 0-2" (rows).
class SignalLog {
public:
    explicit SignalLog(QAbstractItemModel& model)
    {
        QObject::connect(&model, &QAbstractItemModel::modelReset, &m_context,
                         [this] { events << QStringLiteral("reset"); });
        QObject::connect(&model, &QAbstractItemModel::rowsInserted, &m_context,
                         [this](const QModelIndex&, int first, int last) {
                             events << QStringLiteral("inserted %1-%2").arg(first).arg(last);
                         });
        QObject::connect(&model, &QAbstractItemModel::rowsRemoved, &m_context,
                         [this](const QModelIndex&, int first, int last) {
                             events << QStringLiteral("removed %1-%2").arg(first).arg(last);
                         });
        QObject::connect(&model, &QAbstractItemModel::headerDataChanged, &m_context,
                         [this] { events << QStringLiteral("header"); });
        QObject::connect(&model, &QAbstractItemModel::dataChanged, &m_context,
                         [this](const QModelIndex& from, const QModelIndex& to) {
                             events
                                 << QStringLiteral("changed %1-%2").arg(from.row()).arg(to.row());
                         });
    }

    /// The events that change the shape of the table (all but "changed").
    QStringList shape() const
    {
        QStringList out;
        for (const QString& e : events)
            if (!e.startsWith(QLatin1String("changed"))) out << e;
        return out;
    }

    QStringList events;

private:
    QObject m_context;
};

} // namespace corvo::platform::test

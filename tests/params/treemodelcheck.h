#pragma once

#include <QAbstractItemModelTester>
#include <QIdentityProxyModel>

// QTreeWidget's model answers the children of a row under every column; the
// item model tester holds to the convention that only column 0 has children
// and stops its walk through the tree at the first row with children. Seen
// through this proxy the tree keeps that convention, and the tester checks
// every item and every change of the tree.
class ColumnZeroChildren : public QIdentityProxyModel
{
public:
    explicit ColumnZeroChildren(QAbstractItemModel* source)
    {
        setSourceModel(source);
    }

    int rowCount(const QModelIndex& parent) const override
    {
        return parent.column() > 0 ? 0 : QIdentityProxyModel::rowCount(parent);
    }

    bool hasChildren(const QModelIndex& parent) const override
    {
        return parent.column() <= 0 && QIdentityProxyModel::hasChildren(parent);
    }
};

class TreeModelCheck
{
public:
    explicit TreeModelCheck(QAbstractItemModel* model)
        : m_proxy(model)
        , m_tester(&m_proxy, QAbstractItemModelTester::FailureReportingMode::QtTest)
    {
    }

private:
    ColumnZeroChildren m_proxy;
    QAbstractItemModelTester m_tester;
};

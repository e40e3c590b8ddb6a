#pragma once

#include "params/valuecodec.h"

#include <QString>
#include <QXmlDefaultHandler>

#include <memory>

class DescriptionFile;
class QorbInifile;
class QTableWidget;
class QTreeWidget;
class QTreeWidgetItem;
struct ParamRecord;

// The wrench's parameters, held as items of a tree widget: modules at top
// level, parameters below them, hidden row and cell items below table
// parameters. Every column holds text; the column numbers below are the model.
// Converts values between display text and the little-endian device bytes, and
// is the SAX handler of the data-set file.
class QorbPIDMan : public QXmlDefaultHandler
{
public:
    enum Column {
        ColName = 0,
        ColId,
        ColUnit,
        ColAttr,
        ColAccess,
        ColInfo,
        ColDescription,
        ColMin,
        ColMax,
        ColValue,
        ColCols,
        ColMore,
        ColumnCount
    };

    // Item kinds, stored as text under Qt::UserRole in column 0.
    static const QString KindModule; // "MODUL"
    static const QString KindParam;  // "PARAM"
    static const QString KindRow;    // "TR"
    static const QString KindCell;   // "TD"

    // The data bytes that one parameter write frame carries: a longer
    // encoding is refused.
    static constexpr qsizetype MaxValueBytes = 1020;

    // Without a tree the manager makes and owns one. The description source is
    // not owned and may be null (descriptions then come from the file or the
    // device record as they stand).
    QorbPIDMan(QTreeWidget* tree, QorbInifile* descriptionSource);
    ~QorbPIDMan() override;

    QorbPIDMan(const QorbPIDMan&) = delete;
    QorbPIDMan& operator=(const QorbPIDMan&) = delete;

    QTreeWidget* tree() const { return m_tree; }

    // The parameter item whose ID column reads exactly "%u" of pid, or null.
    QTreeWidgetItem* findParam(quint32 pid) const;

    // The text as raw value by the item's ATTR and INFO (see parseValue in
    // valuecodec.h); 0 for a null item or a text that does not fit the type
    // (ok, when given, says which).
    static quint32 parseValue(const QTreeWidgetItem* item, const QString& text, bool* ok = nullptr);

    // One scalar of parameter pid, parsed from text, stored at the cursor.
    // Bytes written; 0 for an unknown ID, a refused text or a writer without
    // room (see encodeError).
    int encodeValue(quint32 pid, ByteWriter& cursor, const QString& text);
    // Every cell of table parameter pid in row order, cell (row, col), 0-based,
    // replaced by text unless text is "NULL". Bytes written; 0 when any cell is
    // refused or the table does not fit (see encodeError).
    int encodeTable(quint32 pid, ByteWriter& cursor, int row, int col, const QString& text);
    // Why the last encode wrote nothing; empty after a success.
    QString encodeError() const { return m_encodeError; }

    // Sets the value, or every cell, of parameter pid from device bytes. False
    // for no data, an unknown ID, or data that ends before the table does
    // (complete rows keep their new texts, a row cut short its old ones).
    bool decodeValues(quint32 pid, const char* data, qsizetype size);

    // A scalar parameter's value and unit, and its name when name is given.
    bool scalarValue(quint32 pid, QString& value, QString& unit, QString* name) const;
    // A table parameter's cells into table (ATTR rows x columns).
    bool tableValue(quint32 pid, QTableWidget& table, QString& unit, QString* name) const;

    // Shows every parameter and every module that has one.
    void applyFilter();

    // One parameter description record of the wrench. A record for an ID that
    // is already known updates that item; a record that ends early, carries a
    // table larger than its value or no value at all adds no parameter (false).
    bool addParamInfo(const char* record, qsizetype size);

    // Adds the modules and parameters of a data-set file (nothing is removed).
    // False on a parse error, whose text errorString() then gives; the items
    // made before it stay.
    bool parseXml(const QString& fileName);

    // Descriptions met without an entry in the description file are kept in
    // memory; this writes them all at once (also done at the end of parseXml
    // and on destruction). False when the file could not be written.
    bool flushDescriptions();

    // QXmlContentHandler / QXmlErrorHandler
    bool startElement(const QString& namespaceURI, const QString& localName, const QString& qName,
                      const QXmlAttributes& attributes) override;
    bool endElement(const QString& namespaceURI, const QString& localName,
                    const QString& qName) override;
    bool characters(const QString& text) override;
    bool fatalError(const QXmlParseException& exception) override;
    QString errorString() const override;

private:
    struct TableState;

    // Under the cursor, or at top level without one.
    void attach(QTreeWidgetItem* item);
    QTreeWidgetItem* createItem(const QString& kind, const QString& name);
    QTreeWidgetItem* moduleItem(const QString& name, const QString& fileDescription);
    QString moduleDescription(const QString& module, const QString& fallback);
    QString paramDescription(const QString& module, const QString& id, const QString& name,
                             const QString& fallback);
    void fillParamFromRecord(QTreeWidgetItem* param, const ParamRecord& record);
    void startTable(const QXmlAttributes& attributes);
    void endCell();
    void resetParseState();

    std::unique_ptr<QTreeWidget> m_ownTree;
    QTreeWidget* m_tree;
    std::unique_ptr<DescriptionFile> m_descriptions;
    QTreeWidgetItem* m_cursor = nullptr;
    QString m_moduleName;
    QString m_buffer;
    std::unique_ptr<TableState> m_table;
    QString m_encodeError;
    QString m_parseError;
};

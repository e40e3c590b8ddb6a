#include "params/qorbpidman.h"

#include "params/descriptionfile.h"
#include "params/paramattr.h"
#include "params/paramrecord.h"
#include "params/paramslog.h"
#include "params/tablesummary.h"

#include <QCoreApplication>
#include <QFile>
#include <QTableWidget>
#include <QTreeWidget>

using namespace paramattr;

const QString QorbPIDMan::KindModule = QStringLiteral("MODUL");
const QString QorbPIDMan::KindParam = QStringLiteral("PARAM");
const QString QorbPIDMan::KindRow = QStringLiteral("TR");
const QString QorbPIDMan::KindCell = QStringLiteral("TD");

struct QorbPIDMan::TableState {
    int rows = 0;
    int columns = 0;
    int row = 0;
    int column = 0;
    TableSummary summary;
};

namespace {

QString hexWordText(quint32 word)
{
    return QString::asprintf("0x%08X", word);
}

// ATTR, ACCESS and INFO columns: base 16, "0x" allowed; 0 when unreadable.
quint32 hexWord(const QTreeWidgetItem* item, int column)
{
    QString text = item->text(column).trimmed();
    if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        text.remove(0, 2);
    bool ok = false;
    const quint32 word = text.toUInt(&ok, 16);
    return ok ? word : 0;
}

QString cellName(int number, int count)
{
    return QStringLiteral("%1[%2]").arg(number).arg(count);
}

// An item outside the tree: filled before it goes in, it spares the tree a
// change notice per column.
QTreeWidgetItem* newItem(const QString& kind, const QString& name)
{
    auto* item = new QTreeWidgetItem;
    item->setText(QorbPIDMan::ColName, name);
    item->setData(QorbPIDMan::ColName, Qt::UserRole, kind);
    item->setTextAlignment(QorbPIDMan::ColId, Qt::AlignHCenter);
    item->setTextAlignment(QorbPIDMan::ColValue, Qt::AlignHCenter);
    return item;
}

// Rows and cells are never shown; an item is hidden once it is in the tree.
void hideWithChildren(const QList<QTreeWidgetItem*>& items)
{
    for (QTreeWidgetItem* item : items) {
        item->setHidden(true);
        for (int i = 0; i < item->childCount(); ++i)
            item->child(i)->setHidden(true);
    }
}

void fillTableItems(QTreeWidgetItem* param, int rowCount, int columnCount, const QStringList& cells)
{
    // The same wrench describes the same table on every connection: its
    // items then only take the new texts.
    bool sameShape = param->childCount() == rowCount;
    for (int r = 0; sameShape && r < rowCount; ++r)
        sameShape = param->child(r)->childCount() == columnCount;
    if (sameShape) {
        for (int r = 0; r < rowCount; ++r) {
            for (int c = 0; c < columnCount; ++c)
                param->child(r)->child(c)->setText(QorbPIDMan::ColValue, cells.at(r * columnCount + c));
        }
        return;
    }
    qDeleteAll(param->takeChildren());
    QList<QTreeWidgetItem*> rowItems;
    for (int r = 0; r < rowCount; ++r) {
        QTreeWidgetItem* rowItem = newItem(QorbPIDMan::KindRow, cellName(r + 1, rowCount));
        for (int c = 0; c < columnCount; ++c) {
            QTreeWidgetItem* cell = newItem(QorbPIDMan::KindCell, cellName(c + 1, columnCount));
            cell->setText(QorbPIDMan::ColValue, cells.at(r * columnCount + c));
            rowItem->addChild(cell);
        }
        rowItems.append(rowItem);
    }
    param->addChildren(rowItems);
}

QString tr(const char* text)
{
    return QCoreApplication::translate("QorbPIDMan", text);
}

QString attribute(const QXmlAttributes& attributes, const char* name)
{
    return attributes.value(QLatin1String(name));
}

} // namespace

QorbPIDMan::QorbPIDMan(QTreeWidget* tree, QorbInifile* descriptionSource)
    : m_ownTree(tree == nullptr ? std::make_unique<QTreeWidget>() : nullptr)
    , m_tree(tree == nullptr ? m_ownTree.get() : tree)
    , m_descriptions(descriptionSource == nullptr ? nullptr
                                                  : std::make_unique<DescriptionFile>(*descriptionSource))
    , m_table(std::make_unique<TableState>())
{
    if (m_tree->columnCount() < ColumnCount)
        m_tree->setColumnCount(ColumnCount);
}

QorbPIDMan::~QorbPIDMan() = default;

QTreeWidgetItem* QorbPIDMan::findParam(quint32 pid) const
{
    const QString id = QString::asprintf("%u", pid);
    for (int m = 0; m < m_tree->topLevelItemCount(); ++m) {
        const QTreeWidgetItem* module = m_tree->topLevelItem(m);
        for (int p = 0; p < module->childCount(); ++p) {
            if (module->child(p)->text(ColId) == id)
                return module->child(p);
        }
    }
    return nullptr;
}

quint32 QorbPIDMan::parseValue(const QTreeWidgetItem* item, const QString& text, bool* ok)
{
    quint32 raw = 0;
    const bool parsed = item != nullptr
        && ::parseValue(text, hexWord(item, ColAttr), hexWord(item, ColInfo), raw);
    if (ok != nullptr)
        *ok = parsed;
    return parsed ? raw : 0;
}

int QorbPIDMan::encodeValue(quint32 pid, ByteWriter& cursor, const QString& text)
{
    m_encodeError.clear();
    const QTreeWidgetItem* param = findParam(pid);
    if (param == nullptr) {
        m_encodeError = tr("Parameter %1 is not known.").arg(pid);
        return 0;
    }
    const quint32 attr = hexWord(param, ColAttr);
    if (elementSize(valueType(attr)) == 0) {
        m_encodeError = tr("Parameter %1 has no known value type.").arg(pid);
        return 0;
    }
    bool ok = false;
    const quint32 raw = parseValue(param, text, &ok);
    if (!ok) {
        m_encodeError = tr("\"%1\" is no valid value for parameter %2.").arg(text).arg(pid);
        return 0;
    }
    const int size = storeRaw(raw, cursor, attr);
    if (size == 0)
        m_encodeError = tr("The value of parameter %1 is longer than one message can carry (%2 bytes).")
                            .arg(pid)
                            .arg(cursor.capacity());
    return size;
}

int QorbPIDMan::encodeTable(quint32 pid, ByteWriter& cursor, int row, int col, const QString& text)
{
    m_encodeError.clear();
    const QTreeWidgetItem* param = findParam(pid);
    if (param == nullptr) {
        m_encodeError = tr("Parameter %1 is not known.").arg(pid);
        return 0;
    }
    // All or nothing: the cells go to the caller only when every one fits.
    ByteWriter table(cursor.capacity() - cursor.bytes().size());
    const bool replace = text != QLatin1String("NULL");
    for (int r = 0; r < param->childCount(); ++r) {
        const QTreeWidgetItem* rowItem = param->child(r);
        for (int c = 0; c < rowItem->childCount(); ++c) {
            const QString cell = replace && r == row && c == col ? text : rowItem->child(c)->text(ColValue);
            if (encodeValue(pid, table, cell) == 0)
                return 0;
        }
    }
    cursor.write(table.bytes().constData(), table.bytes().size());
    return static_cast<int>(table.bytes().size());
}

bool QorbPIDMan::decodeValues(quint32 pid, const char* data, qsizetype size)
{
    QTreeWidgetItem* param = findParam(pid);
    if (size <= 0 || data == nullptr || param == nullptr)
        return false;
    const quint32 attr = hexWord(param, ColAttr);
    const quint32 info = hexWord(param, ColInfo);
    ByteReader cursor(data, size);
    const QString colsText = param->text(ColCols);
    if (colsText.isEmpty()) {
        const QString value = formatValue(cursor, attr, info);
        if (cursor.failed())
            return false;
        param->setText(ColValue, value);
        return true;
    }
    bool ok = false;
    if (colsText.toInt(&ok) <= 0 || !ok)
        return false;
    // A row takes its new texts only when all of its bytes are there.
    for (int r = 0; r < param->childCount(); ++r) {
        QTreeWidgetItem* rowItem = param->child(r);
        QStringList texts;
        for (int c = 0; c < rowItem->childCount(); ++c)
            texts.append(formatValue(cursor, attr, info));
        if (cursor.failed())
            return false;
        for (int c = 0; c < rowItem->childCount(); ++c)
            rowItem->child(c)->setText(ColValue, texts.at(c));
    }
    return true;
}

bool QorbPIDMan::scalarValue(quint32 pid, QString& value, QString& unit, QString* name) const
{
    value.clear();
    unit.clear();
    const QTreeWidgetItem* param = findParam(pid);
    if (param == nullptr || !isScalar(hexWord(param, ColAttr)))
        return false;
    value = param->text(ColValue);
    unit = param->text(ColUnit);
    if (name != nullptr)
        *name = param->text(ColName);
    return true;
}

bool QorbPIDMan::tableValue(quint32 pid, QTableWidget& table, QString& unit, QString* name) const
{
    table.clear();
    table.setRowCount(0);
    table.setColumnCount(0);
    unit.clear();
    const QTreeWidgetItem* param = findParam(pid);
    if (param == nullptr)
        return false;
    const quint32 attr = hexWord(param, ColAttr);
    const int rowCount = static_cast<int>(rows(attr));
    const int columnCount = static_cast<int>(columns(attr));
    table.setRowCount(rowCount);
    table.setColumnCount(columnCount);
    for (int r = 0; r < qMin(rowCount, param->childCount()); ++r) {
        const QTreeWidgetItem* rowItem = param->child(r);
        for (int c = 0; c < qMin(columnCount, rowItem->childCount()); ++c)
            table.setItem(r, c, new QTableWidgetItem(rowItem->child(c)->text(ColValue)));
    }
    unit = param->text(ColUnit);
    if (name != nullptr)
        *name = param->text(ColName);
    return true;
}

void QorbPIDMan::applyFilter()
{
    for (int m = 0; m < m_tree->topLevelItemCount(); ++m) {
        QTreeWidgetItem* module = m_tree->topLevelItem(m);
        for (int p = 0; p < module->childCount(); ++p)
            module->child(p)->setHidden(false);
        if (module->childCount() > 0)
            module->setHidden(false);
    }
}

void QorbPIDMan::attach(QTreeWidgetItem* item)
{
    if (m_cursor != nullptr)
        m_cursor->addChild(item);
    else
        m_tree->addTopLevelItem(item);
}

QTreeWidgetItem* QorbPIDMan::createItem(const QString& kind, const QString& name)
{
    QTreeWidgetItem* item = newItem(kind, name);
    attach(item);
    return item;
}

QString QorbPIDMan::moduleDescription(const QString& module, const QString& fallback)
{
    if (!m_descriptions)
        return fallback;
    return expandEscapes(m_descriptions->read(module, QStringLiteral("DESCRIPTION"),
                                              QStringLiteral("Detailed Modul Description..")));
}

QString QorbPIDMan::paramDescription(const QString& module, const QString& id, const QString& name,
                                     const QString& fallback)
{
    if (!m_descriptions)
        return fallback;
    return expandEscapes(m_descriptions->read(module, QLatin1String("ID_") + id,
                                              name + QLatin1String(" - Detailed Parameter Description..")));
}

QTreeWidgetItem* QorbPIDMan::moduleItem(const QString& name, const QString& fileDescription)
{
    for (int m = 0; m < m_tree->topLevelItemCount(); ++m) {
        if (m_tree->topLevelItem(m)->text(ColName) == name)
            return m_tree->topLevelItem(m);
    }
    m_cursor = nullptr;
    QTreeWidgetItem* module = createItem(KindModule, name);
    module->setText(ColDescription, moduleDescription(name, fileDescription));
    return module;
}

bool QorbPIDMan::addParamInfo(const char* data, qsizetype size)
{
    ParamRecord record;
    if (data == nullptr || size <= 0 || !parseParamRecord(data, size, record))
        return false;
    resetParseState();
    QTreeWidgetItem* module = moduleItem(record.module, record.description);
    if (!record.hasValue())
        return false;
    // A known ID is updated in its place, or moved to its new module; a new
    // item is filled before it goes into the tree.
    QTreeWidgetItem* param = findParam(record.pid);
    if (param == nullptr)
        param = newItem(KindParam, record.name);
    else if (param->parent() != module)
        param->parent()->removeChild(param);
    fillParamFromRecord(param, record);
    if (param->parent() == nullptr)
        module->addChild(param);
    QList<QTreeWidgetItem*> rowItems;
    for (int r = 0; r < param->childCount(); ++r)
        rowItems.append(param->child(r));
    hideWithChildren(rowItems);
    param->setExpanded(true);
    return true;
}

void QorbPIDMan::fillParamFromRecord(QTreeWidgetItem* param, const ParamRecord& record)
{
    const QString id = QString::asprintf("%u", record.pid);
    param->setText(ColName, record.name);
    param->setText(ColId, id);
    param->setText(ColUnit, record.unit);
    param->setText(ColAttr, hexWordText(record.attr));
    param->setText(ColAccess, hexWordText(record.access));
    param->setText(ColInfo, hexWordText(record.info));
    param->setText(ColDescription, paramDescription(record.module, id, record.name, record.description));
    param->setText(ColMin, recordLimitText(record, record.min));
    param->setText(ColMax, recordLimitText(record, record.max));
    const QStringList cells = recordCellTexts(record);
    if (isScalar(record.attr)) {
        qDeleteAll(param->takeChildren());
        param->setText(ColValue, cells.value(0));
        param->setText(ColCols, QString());
        param->setText(ColMore, QString());
        return;
    }
    const int rowCount = static_cast<int>(rows(record.attr));
    const int columnCount = static_cast<int>(columns(record.attr));
    TableSummary summary;
    for (int r = 1; r <= rowCount; ++r) {
        for (int c = 1; c <= columnCount; ++c)
            summary.addCell(r, c, cells.at((r - 1) * columnCount + (c - 1)));
        summary.endRow(r);
    }
    fillTableItems(param, rowCount, columnCount, cells);
    const quint8 type = valueType(record.attr);
    param->setText(ColCols, QString::asprintf("%d", columnCount));
    param->setText(ColValue, summary.value(type));
    param->setText(ColMore, summary.marker(type));
}


void QorbPIDMan::resetParseState()
{
    m_cursor = nullptr;
    m_buffer.clear();
    *m_table = TableState();
}

bool QorbPIDMan::parseXml(const QString& fileName)
{
    m_parseError.clear();
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        m_parseError = file.errorString();
        return false;
    }
    resetParseState();
    QXmlInputSource source(&file);
    QXmlSimpleReader reader;
    reader.setContentHandler(this);
    reader.setErrorHandler(this);
    const bool parsed = reader.parse(&source);
    resetParseState();
    flushDescriptions();
    return parsed;
}

bool QorbPIDMan::flushDescriptions()
{
    return !m_descriptions || m_descriptions->flush();
}

bool QorbPIDMan::startElement(const QString&, const QString&, const QString& qName,
                              const QXmlAttributes& attributes)
{
    if (qName == QLatin1String("MODUL")) {
        const QString name = attribute(attributes, "NAME");
        QTreeWidgetItem* module = createItem(KindModule, name);
        m_moduleName = name;
        module->setText(ColDescription, moduleDescription(name, attribute(attributes, "DESCR")));
        m_cursor = module;
    } else if (qName == QLatin1String("PARAM")) {
        const QString name = attribute(attributes, "NAME");
        const QString id = attribute(attributes, "ID");
        QTreeWidgetItem* param = newItem(KindParam, name);
        param->setText(ColId, id);
        param->setText(ColUnit, attribute(attributes, "UNIT"));
        param->setText(ColAttr, attribute(attributes, "ATTR"));
        param->setText(ColAccess, attribute(attributes, "ACCESS"));
        param->setText(ColInfo, attribute(attributes, "INFO"));
        param->setText(ColDescription,
                       paramDescription(m_moduleName, id, name, attribute(attributes, "DESCR")));
        attach(param);
        m_cursor = param;
    } else if (qName == QLatin1String("VALUE")) {
        if (m_cursor != nullptr) {
            m_cursor->setText(ColMin, attribute(attributes, "MIN"));
            m_cursor->setText(ColMax, attribute(attributes, "MAX"));
        }
    } else if (qName == QLatin1String("TABLE")) {
        startTable(attributes);
    } else if (qName == QLatin1String("TR")) {
        if (m_cursor != nullptr) {
            QTreeWidgetItem* row = createItem(KindRow, cellName(m_table->row, m_table->rows));
            row->setHidden(true);
            m_cursor = row;
            m_table->column = 1;
        }
    } else if (qName == QLatin1String("TD")) {
        if (m_cursor != nullptr) {
            QTreeWidgetItem* cell = createItem(KindCell, cellName(m_table->column, m_table->columns));
            cell->setHidden(true);
            m_cursor = cell;
        }
    }
    m_buffer.clear();
    return true;
}

void QorbPIDMan::startTable(const QXmlAttributes& attributes)
{
    const QString columnsText = attribute(attributes, "COLS");
    if (m_cursor != nullptr) {
        m_cursor->setText(ColMin, attribute(attributes, "MIN"));
        m_cursor->setText(ColMax, attribute(attributes, "MAX"));
        m_cursor->setText(ColCols, columnsText);
    }
    *m_table = TableState();
    m_table->rows = attribute(attributes, "ROWS").toInt();
    m_table->columns = columnsText.toInt();
    m_table->row = 1;
}

void QorbPIDMan::endCell()
{
    m_cursor->setText(ColValue, m_buffer);
    m_cursor = m_cursor->parent();
    m_table->summary.addCell(m_table->row, m_table->column, m_buffer);
    ++m_table->column;
}

bool QorbPIDMan::endElement(const QString&, const QString&, const QString& qName)
{
    if (qName == QLatin1String("PARAM") || qName == QLatin1String("MODUL")) {
        if (m_cursor != nullptr)
            m_cursor = m_cursor->parent();
        return true;
    }
    if (m_cursor == nullptr)
        return true;
    if (qName == QLatin1String("TD")) {
        endCell();
    } else if (qName == QLatin1String("TR")) {
        m_cursor = m_cursor->parent();
        m_table->summary.endRow(m_table->row);
        ++m_table->row;
    } else if (qName == QLatin1String("TABLE")) {
        const quint8 type = valueType(hexWord(m_cursor, ColAttr));
        m_cursor->setText(ColValue, m_table->summary.value(type));
        m_cursor->setText(ColMore, m_table->summary.marker(type));
    } else if (qName == QLatin1String("VALUE")) {
        m_cursor->setText(ColValue, m_buffer);
    }
    return true;
}

bool QorbPIDMan::characters(const QString& text)
{
    m_buffer += text;
    return true;
}

bool QorbPIDMan::fatalError(const QXmlParseException& exception)
{
    m_parseError = QStringLiteral("Parse error at line %1, column %2: %3")
                       .arg(exception.lineNumber())
                       .arg(exception.columnNumber())
                       .arg(exception.message());
    qCWarning(lcParams).noquote() << m_parseError;
    return false;
}

QString QorbPIDMan::errorString() const
{
    return m_parseError;
}

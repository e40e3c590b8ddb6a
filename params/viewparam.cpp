#include "params/viewparam.h"

#include "params/qorbpidman.h"

#include <QCheckBox>
#include <QStringList>
#include <QLabel>
#include <QProgressBar>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

const QString csvSection = QStringLiteral("CSV");

QString readSeparator(QorbInifile& settings, const QString& key, const QString& defaultValue)
{
    return settings.readString(csvSection, key, defaultValue, true).left(1);
}

} // namespace

ViewParam::ViewParam(QWidget* parent, ViewHost* host)
    : ViewBase(parent, host)
    , m_treeWidgetParams(new QTreeWidget(this))
    , m_labelFilename(new QLabel(this))
    , m_progressBar(new QProgressBar(this))
    , m_checkBoxAuto(new QCheckBox(QStringLiteral("Auto Update"), this))
    , m_checkBoxCyclicRefresh(new QCheckBox(QStringLiteral("cyclic"), this))
{
    buildForm();
    m_descriptionSource.setFileName(QStringLiteral("Description.ini"), false);
    m_model = std::make_unique<QorbPIDMan>(m_treeWidgetParams, &m_descriptionSource);
    setModel(m_model.get());

    m_labelFilename->clear();
    m_progressBar->setMinimum(0);
    QorbInifile settings;
    m_idSeparator = readSeparator(settings, QStringLiteral("ID_SEPARATOR"), QStringLiteral(";"));
    m_decimalSeparator = readSeparator(settings, QStringLiteral("DECIMAL_SEPARATOR"), QStringLiteral("."));
    hide();
}

// The model writes its collected descriptions when it goes.
ViewParam::~ViewParam() = default;

void ViewParam::buildForm()
{
    if (objectName().isEmpty())
        setObjectName(QStringLiteral("ViewParam"));
    m_treeWidgetParams->setObjectName(QStringLiteral("treeWidgetParams"));
    m_treeWidgetParams->setColumnCount(QorbPIDMan::ColumnCount);
    QStringList labels;
    for (int column = 0; column < QorbPIDMan::ColumnCount; ++column)
        labels.append(QString());
    labels[QorbPIDMan::ColName] = QStringLiteral("Name");
    labels[QorbPIDMan::ColId] = QStringLiteral("ID");
    labels[QorbPIDMan::ColValue] = QStringLiteral("Value");
    m_treeWidgetParams->setHeaderLabels(labels);
    for (int column = QorbPIDMan::ColUnit; column <= QorbPIDMan::ColMax; ++column)
        m_treeWidgetParams->setColumnHidden(column, true);
    m_treeWidgetParams->setColumnHidden(QorbPIDMan::ColCols, true);

    m_labelFilename->setObjectName(QStringLiteral("labelFilename"));
    m_progressBar->setObjectName(QStringLiteral("progressBar"));
    m_checkBoxAuto->setObjectName(QStringLiteral("checkBoxAuto"));
    m_checkBoxCyclicRefresh->setObjectName(QStringLiteral("checkBoxCyclicRefresh"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_labelFilename);
    layout->addWidget(m_treeWidgetParams);
    layout->addWidget(m_progressBar);
    layout->addWidget(m_checkBoxAuto);
    layout->addWidget(m_checkBoxCyclicRefresh);
}

void ViewParam::setVisible(bool)
{
    QWidget::setVisible(false);
}

void ViewParam::onParamInfo(const char* record, int size)
{
    if (size != 0) {
        m_model->addParamInfo(record, size);
        return;
    }
    // Hidden while every item is touched.
    const bool wasHidden = m_treeWidgetParams->isHidden();
    m_treeWidgetParams->hide();
    m_model->applyFilter();
    m_treeWidgetParams->setHidden(wasHidden);
    // The descriptions the list brought go to the file now, in one write.
    m_model->flushDescriptions();
}

void ViewParam::setProgress(bool show, bool busy)
{
    m_progressBar->setVisible(show || busy);
    m_progressBar->reset();
}

void ViewParam::setFileName(const QString& text)
{
    m_labelFilename->setText(text);
}

#include "control/query/frmQueryBuilder.h"

#include "control/query/ConnectStringComposer.h"
#include "control/query/MdxCompleter.h"
#include "control/query/MdxHighlighter.h"
#include "control/query/SplitEscaped.h"
#include "control/query/mdxUtil.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSplitter>
#include <QTextBlock>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <functional>

namespace {

const char* const kTitle = "QueryBuilder";

class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

// A schema list holds one empty element more than there are results.
void ForListed(const QStringList& list, const std::function<void(const QString&)>& act)
{
    for (qsizetype i = 0; i + 1 < list.size(); ++i)
        act(list[i]);
}

QString StripBrackets(QString name)
{
    for (QLatin1Char c : {QLatin1Char('['), QLatin1Char(']'), QLatin1Char('('), QLatin1Char(')')})
        name.remove(c);
    return name;
}

bool IsPlaceholderOnly(const QTreeWidgetItem* item)
{
    return item->childCount() == 1 && item->child(0)->text(0).isEmpty();
}

} // namespace

frmQueryBuilder::frmQueryBuilder(QWidget* parent) : QDialog(parent), m_util(std::make_unique<mdxUtil>())
{
    setObjectName(QStringLiteral("queryBuilderDialog"));
    setWindowTitle(QLatin1String(kTitle));
    setFont(QFont(QStringLiteral("Verdana"), font().pointSize()));

    m_cbCubes = new QComboBox(this);
    m_cbCubes->setObjectName(QStringLiteral("cubeCombo"));
    m_cbCubes->setEditable(true);
    m_cbCubes->setInsertPolicy(QComboBox::NoInsert);
    m_cbCubes->setEditText(QStringLiteral("Combo1"));
    m_lbMeasures = new QListWidget(this);
    m_lbMeasures->setObjectName(QStringLiteral("measureList"));
    m_tvSchema = new QTreeWidget(this);
    m_tvSchema->setObjectName(QStringLiteral("schemaTree"));
    m_tvSchema->setHeaderHidden(true);
    m_tvSchema->setColumnCount(1);
    m_tvSchema->setExpandsOnDoubleClick(false);
    m_txtMDXQuery = new QPlainTextEdit(this);
    m_txtMDXQuery->setObjectName(QStringLiteral("mdxEdit"));
    m_txtMDXQuery->setLineWrapMode(QPlainTextEdit::NoWrap);
    new MdxHighlighter(m_txtMDXQuery->document());
    m_completer = new MdxCompleter(m_txtMDXQuery);
    m_btnTest = new QPushButton(QStringLiteral("Check Query"), this);
    m_btnTest->setObjectName(QStringLiteral("checkQueryButton"));
    m_SetMDX = new QPushButton(QStringLiteral("Build report"), this);
    m_SetMDX->setObjectName(QStringLiteral("buildReportButton"));
    m_Cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_Cancel->setObjectName(QStringLiteral("cancelButton"));
    for (QPushButton* button : {m_btnTest, m_SetMDX, m_Cancel})
        button->setAutoDefault(false);

    auto* measuresLabel = new QLabel(QStringLiteral("Measures"), this);
    measuresLabel->setObjectName(QStringLiteral("measuresLabel"));
    auto* dimensionsLabel = new QLabel(QStringLiteral("Dimensions"), this);
    dimensionsLabel->setObjectName(QStringLiteral("dimensionsLabel"));

    auto* left = new QWidget(this);
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    leftLayout->addWidget(m_cbCubes);
    leftLayout->addWidget(measuresLabel);
    leftLayout->addWidget(m_lbMeasures, 1);
    leftLayout->addWidget(dimensionsLabel);
    leftLayout->addWidget(m_tvSchema, 2);
    auto* splitter = new QSplitter(this);
    splitter->addWidget(left);
    splitter->addWidget(m_txtMDXQuery);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({220, 440});

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_btnTest);
    buttons->addStretch();
    buttons->addWidget(m_SetMDX);
    buttons->addWidget(m_Cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(splitter, 1);
    layout->addLayout(buttons);
    resize(680, 480);

    connect(m_cbCubes, &QComboBox::activated, this, [this] {
        FillMeasures();
        FillTree();
    });
    connect(m_lbMeasures, &QListWidget::itemClicked, this, &frmQueryBuilder::OnMeasureClicked);
    connect(m_tvSchema, &QTreeWidget::itemExpanded, this, &frmQueryBuilder::OnExpanded);
    connect(m_tvSchema, &QTreeWidget::itemDoubleClicked, this, &frmQueryBuilder::OnTreeDoubleClicked);
    connect(m_btnTest, &QPushButton::clicked, this, &frmQueryBuilder::OnCheckQuery);
    connect(m_SetMDX, &QPushButton::clicked, this, &frmQueryBuilder::OnBuildReport);
    connect(m_Cancel, &QPushButton::clicked, this, &frmQueryBuilder::reject);
}

frmQueryBuilder::~frmQueryBuilder() = default;

void frmQueryBuilder::SetConnection(const QString& connectionString, const QString& cubeName)
{
    m_connectionString = connectionString;
    m_cubeName = StripBrackets(cubeName);
    m_loaded = false;
}

void frmQueryBuilder::SetQueryText(const QString& mdx)
{
    m_txtMDXQuery->setPlainText(mdx);
}

QString frmQueryBuilder::GetMDX() const
{
    return m_result;
}

void frmQueryBuilder::showEvent(QShowEvent* event)
{
    // The form is hidden, not destroyed, between uses: each new connection is loaded when the
    // form is shown again, so a second report never sees the first one's cube.
    if (!m_loaded)
        Load();
    QDialog::showEvent(event);
}

void frmQueryBuilder::Load()
{
    WaitCursor wait;
    m_loaded = true;
    m_util->buildCube(m_connectionString, m_errorMessage);
    m_cbCubes->clear();
    ForListed(m_util->listOfCubes(m_errorMessage), [this](const QString& cube) { m_cbCubes->addItem(cube); });
    const int index = m_cbCubes->findText(m_cubeName, Qt::MatchFixedString);
    if (index >= 0)
        m_cbCubes->setCurrentIndex(index);
    else
        m_cbCubes->setEditText(m_cubeName);
    FillMeasures();
    FillTree();
}

void frmQueryBuilder::FillMeasures()
{
    m_lbMeasures->clear();
    // The names of another cube are of no use: the list starts again with this cube's.
    m_completer->ClearNames();
    QString cube = m_cbCubes->currentText();
    const QStringList measures = m_util->listOfMeasures(cube, m_errorMessage);
    ForListed(measures, [this](const QString& measure) { m_lbMeasures->addItem(measure); });
    m_completer->AddNames(measures);
}

void frmQueryBuilder::FillTree()
{
    m_tvSchema->clear();
    QString cube = m_cbCubes->currentText();
    const QStringList dimensions = m_util->listOfDimensions(cube, m_errorMessage);
    auto* root = new QTreeWidgetItem(m_tvSchema, QStringList {cube});
    root->setData(0, kKeyRole, QStringLiteral("Root"));
    root->setData(0, kTagRole, cube);
    ForListed(dimensions, [this, root](const QString& entry) { AddEntry(root, entry); });
    AddNamesOf(root);
    root->setExpanded(true);
}

void frmQueryBuilder::AddEntry(QTreeWidgetItem* parent, const QString& entry)
{
    const QStringList fields = SplitEscaped(entry, QStringLiteral("~"), QStringLiteral("\\"), true);
    if (fields.size() != 3)
        return;
    auto* node = new QTreeWidgetItem(parent, QStringList {fields[1]});
    node->setData(0, kKeyRole, fields[0]);
    node->setData(0, kTagRole, fields);
    if (fields[2] == QLatin1String("True"))
        new QTreeWidgetItem(node, QStringList {QString()});
}

void frmQueryBuilder::AddNamesOf(const QTreeWidgetItem* parent)
{
    QStringList names;
    for (int i = 0; i < parent->childCount(); ++i)
        names << parent->child(i)->data(0, kKeyRole).toString();
    m_completer->AddNames(names);
}

void frmQueryBuilder::OnExpanded(QTreeWidgetItem* item)
{
    const QVariant tag = item->data(0, kTagRole);
    QString uniqueName;
    if (tag.typeId() == QMetaType::QStringList)
        uniqueName = tag.toStringList().value(0);
    else
        uniqueName = tag.toString();
    if (uniqueName.isEmpty() || !IsPlaceholderOnly(item))
        return;

    // The depth below the root says what the node is; counting ancestors (rather than
    // splitting the node's path) stays right for names that hold the path separator.
    int depth = 0;
    const QTreeWidgetItem* root = item;
    while (root->parent()) {
        root = root->parent();
        ++depth;
    }
    if (depth == 0)
        return;
    QString cube = root->data(0, kTagRole).toString();
    WaitCursor wait;
    QStringList entries;
    if (depth == 1)
        entries = m_util->listOfLevel(cube, uniqueName, m_errorMessage);
    else if (depth == 2)
        entries = m_util->listOfMembers(cube, uniqueName, m_errorMessage);
    else
        entries = m_util->listOfChildMembers(cube, uniqueName, m_errorMessage);

    delete item->takeChild(0);
    for (const QString& entry : entries)
        AddEntry(item, entry);
    AddNamesOf(item);
}

void frmQueryBuilder::OnMeasureClicked(QListWidgetItem* item)
{
    if (item)
        m_txtMDXQuery->setPlainText(item->text());
}

void frmQueryBuilder::OnTreeDoubleClicked(QTreeWidgetItem* item)
{
    if (item)
        m_txtMDXQuery->setPlainText(item->text(0));
}

void frmQueryBuilder::OnCheckQuery()
{
    QString query = m_txtMDXQuery->toPlainText();
    QString connection = m_connectionString;
    QString error;
    {
        WaitCursor wait;
        error = ConnectStringComposer::HidePasswords(m_util->testMDXquery(query, connection), connection);
    }
    if (error.isEmpty()) {
        QMessageBox::information(this, QLatin1String(kTitle), QStringLiteral("Test is Successful"), QMessageBox::Ok);
        return;
    }
    // The engine names the place of the fault ("... at line L, column C: ..."): put the cursor
    // there so that the user sees what to fix once the message is closed.
    static const QRegularExpression place(QStringLiteral("line (\\d+), column (\\d+)"));
    const QRegularExpressionMatch match = place.match(error);
    if (match.hasMatch()) {
        const QTextBlock block = m_txtMDXQuery->document()->findBlockByNumber(match.captured(1).toInt() - 1);
        if (block.isValid()) {
            QTextCursor cursor(block);
            cursor.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor,
                qBound(0, match.captured(2).toInt() - 1, block.length() - 1));
            m_txtMDXQuery->setTextCursor(cursor);
        }
    }
    QMessageBox::information(this, QLatin1String(kTitle), error, QMessageBox::Ok);
}

void frmQueryBuilder::OnBuildReport()
{
    m_result = m_txtMDXQuery->toPlainText();
    accept();
}

void frmQueryBuilder::reject()
{
    m_result.clear();
    QDialog::reject();
}

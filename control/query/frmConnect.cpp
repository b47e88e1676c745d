#include "control/query/frmConnect.h"

#include "control/query/mdxUtil.h"
#include "control/query/mdxUtilError.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include <exception>

namespace {

Q_LOGGING_CATEGORY(lcConnect, "lumetra.control.connect")

const char* const kDefaultProvider = "MSOLAP.2";
const char* const kTrapTitle = "Hexmoor";

// Shows the hourglass while it lives; leaving a step early restores the pointer.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

// A schema list holds one empty element more than there are results.
void AddListed(const QStringList& list, const std::function<void(const QString&)>& add)
{
    for (qsizetype i = 0; i + 1 < list.size(); ++i)
        add(list[i]);
}

QString ChooseLocalFile(QWidget* parent)
{
    return QFileDialog::getOpenFileName(parent, QStringLiteral("Get Local cube file"), QString(),
        QStringLiteral("Data files (*.cub *.db *.sqlite *.sqlite3 *.xls *.xlsx);;Local cube files (*.cub);;"
                       "SQLite databases (*.db *.sqlite *.sqlite3);;Spreadsheets (*.xls *.xlsx);;All files (*)"));
}

bool IsRelationalFile(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("db") || suffix == QLatin1String("sqlite") || suffix == QLatin1String("sqlite3")
        || suffix == QLatin1String("xls") || suffix == QLatin1String("xlsx");
}

} // namespace

frmConnect::frmConnect(QWidget* parent) : QDialog(parent), m_util(std::make_unique<mdxUtil>())
{
    setObjectName(QStringLiteral("connectDialog"));
    setWindowTitle(QStringLiteral("Connect to cube"));

    m_provider = QLatin1String(kDefaultProvider);
    m_txtDriver = new QLineEdit(m_provider, this);
    m_txtDriver->setObjectName(QStringLiteral("driverEdit"));
    m_txtServer = new QLineEdit(this);
    m_txtServer->setObjectName(QStringLiteral("serverEdit"));
    m_txtDatabase = new QLineEdit(this);
    m_txtDatabase->setObjectName(QStringLiteral("databaseEdit"));
    m_txtConnectionString = new QLineEdit(this);
    m_txtConnectionString->setObjectName(QStringLiteral("connectionStringEdit"));
    m_lbListDB = new QListWidget(this);
    m_lbListDB->setObjectName(QStringLiteral("databaseList"));
    m_cbCubes = new QComboBox(this);
    m_cbCubes->setObjectName(QStringLiteral("cubeCombo"));
    m_cbCubes->setEditable(true);
    m_cbCubes->setInsertPolicy(QComboBox::NoInsert);
    m_ckSQL = new QCheckBox(QStringLiteral("SQL"), this);
    m_ckSQL->setObjectName(QStringLiteral("sqlCheck"));
    m_ckUser = new QCheckBox(QStringLiteral("User name Password"), this);
    m_ckUser->setObjectName(QStringLiteral("userCheck"));
    m_ckUser->setEnabled(false);
    m_chkFileConnect = new QCheckBox(QStringLiteral("Localcube"), this);
    m_chkFileConnect->setObjectName(QStringLiteral("localCubeCheck"));
    m_cmdConnect = new QPushButton(QStringLiteral("&Connect"), this);
    m_cmdConnect->setObjectName(QStringLiteral("connectButton"));
    m_cmdOK = new QPushButton(QStringLiteral("Build report"), this);
    m_cmdOK->setObjectName(QStringLiteral("buildReportButton"));
    m_cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cmdCancel->setObjectName(QStringLiteral("cancelButton"));
    m_cmdOK->setAutoDefault(false);
    m_cmdCancel->setAutoDefault(false);
    m_cmdConnect->setDefault(true);

    auto label = [this](const char* text, QWidget* buddy, const char* name) {
        auto* l = new QLabel(QString::fromUtf8(text), this);
        l->setObjectName(QString::fromUtf8(name));
        l->setBuddy(buddy);
        return l;
    };
    auto* grid = new QGridLayout;
    grid->addWidget(label("&Driver:", m_txtDriver, "driverLabel"), 0, 0);
    grid->addWidget(m_txtDriver, 0, 1);
    grid->addWidget(label("&Server:", m_txtServer, "serverLabel"), 1, 0);
    grid->addWidget(m_txtServer, 1, 1);
    grid->addWidget(label("&Database:", m_txtDatabase, "databaseLabel"), 2, 0);
    grid->addWidget(m_txtDatabase, 2, 1);
    auto* checks = new QHBoxLayout;
    checks->addWidget(m_ckSQL);
    checks->addWidget(m_ckUser);
    checks->addWidget(m_chkFileConnect);
    checks->addStretch();
    checks->addWidget(m_cmdConnect);
    grid->addLayout(checks, 3, 0, 1, 2);
    grid->addWidget(m_lbListDB, 4, 0, 1, 2);
    grid->addWidget(label("&Cube:", m_cbCubes, "cubeLabel"), 5, 0);
    grid->addWidget(m_cbCubes, 5, 1);
    grid->addWidget(label("Show connection string", m_txtConnectionString, "connectionStringLabel"), 6, 0, 1, 2);
    grid->addWidget(m_txtConnectionString, 7, 0, 1, 2);
    grid->setColumnStretch(1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_cmdOK);
    buttons->addWidget(m_cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    resize(520, 420);

    connect(m_txtServer, &QLineEdit::textChanged, this, &frmConnect::Recompose);
    connect(m_txtDatabase, &QLineEdit::textChanged, this, &frmConnect::Recompose);
    connect(m_ckSQL, &QCheckBox::clicked, this, &frmConnect::OnSqlClicked);
    connect(m_ckUser, &QCheckBox::clicked, this, &frmConnect::OnUserClicked);
    connect(m_lbListDB, &QListWidget::itemClicked, this, &frmConnect::OnDatabaseClicked);
    connect(m_cbCubes, &QComboBox::currentTextChanged, this, [this](const QString& text) { m_selectedCube = text; });
    connect(m_cmdConnect, &QPushButton::clicked, this, &frmConnect::OnConnect);
    connect(m_cmdOK, &QPushButton::clicked, this, &frmConnect::OnBuildReport);
    connect(m_cmdCancel, &QPushButton::clicked, this, &frmConnect::OnCancel);
}

frmConnect::~frmConnect() = default;

QString frmConnect::GetSelectedCube() const
{
    return m_resultValid ? m_selectedCube : QString();
}

QString frmConnect::GetSelectedServer() const
{
    return m_resultValid ? m_txtServer->text() : QString();
}

QString frmConnect::GetSelectedDB() const
{
    return m_resultValid ? m_txtDatabase->text() : QString();
}

QString frmConnect::GetConnectionString() const
{
    return m_resultValid ? m_connectionString : QString();
}

void frmConnect::SetDataSourceMode()
{
    m_cmdCancel->setText(QStringLiteral("OK"));
    m_cmdOK->setVisible(false);
}

QString frmConnect::DataSourceText() const
{
    if (!m_resultValid)
        return QStringLiteral("\t\t");
    return m_txtServer->text() + QLatin1Char('\t') + GetSelectedCube() + QLatin1Char('\t')
        + m_txtConnectionString->text();
}

QString frmConnect::ConnectionStringText() const
{
    return m_txtConnectionString->text();
}

bool frmConnect::IsSqlMode() const
{
    return m_ckSQL->isChecked();
}

void frmConnect::SetFileChooser(FileChooser chooser)
{
    m_fileChooser = std::move(chooser);
}

void frmConnect::Recompose()
{
    m_txtConnectionString->setText(ConnectStringComposer::Compose(
        {m_txtDriver->text(), m_txtServer->text(), m_txtDatabase->text(), m_sqlMode, m_userMode}));
    // Show the start of a long string (the provider), not its end.
    m_txtConnectionString->setCursorPosition(0);
    m_connectionString = m_txtConnectionString->text();
}

void frmConnect::OnSqlClicked(bool checked)
{
    m_sqlMode = checked;
    m_ckUser->setEnabled(m_sqlMode);
    Recompose();
}

void frmConnect::OnUserClicked(bool checked)
{
    m_userMode = checked;
    Recompose();
}

void frmConnect::OnConnect()
{
    try {
        Connect();
    } catch (const std::exception& e) {
        ShowMessage(QString::fromStdString(e.what()), true);
    }
}

void frmConnect::Connect()
{
    WaitCursor wait;
    m_resultValid = true;

    if (m_chkFileConnect->isChecked()) {
        const QString file = m_fileChooser ? m_fileChooser(this) : ChooseLocalFile(this);
        if (!file.isEmpty()) {
            // A database or workbook file holds tables, not cubes: it only lists in SQL mode.
            if (IsRelationalFile(file) && !m_ckSQL->isChecked()) {
                m_ckSQL->setChecked(true);
                m_sqlMode = true;
                m_ckUser->setEnabled(true);
            }
            m_txtServer->setText(file);
            Recompose();
        }
    }
    if (m_txtServer->text().isEmpty())
        return;

    m_connectionString = m_txtConnectionString->text();
    QString error;
    if (!m_sqlMode) {
        // A failure here shows as an empty database list; the database click reports it.
        if (!m_util->buildCube(m_connectionString, error))
            qCInfo(lcConnect) << "cube connection failed:"
                              << ConnectStringComposer::HidePasswords(error, m_connectionString);
    } else {
        if (!m_util->buildSQL(m_connectionString, error)) {
            ShowMessage(error, false);
            return;
        }
        if (ConnectStringComposer::IsSpreadsheet(m_txtServer->text())) {
            m_lbListDB->clear();
            m_lbListDB->addItem(QStringLiteral("WorkSheet"));
            return;
        }
    }
    m_lbListDB->clear();
    const QStringList databases = m_sqlMode ? m_util->listOfSQLDB(error) : m_util->listOfASDatabases(error);
    AddListed(databases, [this](const QString& name) { m_lbListDB->addItem(name); });
}

void frmConnect::OnDatabaseClicked(QListWidgetItem* item)
{
    if (!item)
        return;
    m_txtDatabase->setText(item->text());
    Recompose();
    m_cbCubes->clear();

    QString error;
    if (!m_util->buildCube(m_connectionString, error)) {
        ShowMessage(error, false);
        return;
    }
    WaitCursor wait;
    m_cbCubes->clear();
    QStringList names;
    if (!m_sqlMode) {
        names = m_util->listOfCubes(error);
    } else {
        try {
            names = m_util->listOfTables(error);
        } catch (const mdxUtilError& e) {
            // The source lists no tables at all; the cube list stays empty.
            qCInfo(lcConnect) << "tables not listed:"
                              << ConnectStringComposer::HidePasswords(
                                     QString::fromStdString(e.what()), m_connectionString);
        }
    }
    AddListed(names, [this](const QString& name) { m_cbCubes->addItem(name); });
}

void frmConnect::OnBuildReport()
{
    m_selectedCube = m_sqlMode ? QStringLiteral("Select * from ") + m_cbCubes->currentText() : m_cbCubes->currentText();
    m_resultValid = true;
    accept();
}

void frmConnect::OnCancel()
{
    if (m_cmdCancel->text().compare(QLatin1String("Cancel"), Qt::CaseInsensitive) == 0) {
        m_resultValid = false;
        QDialog::reject();
        return;
    }
    accept();
}

void frmConnect::reject()
{
    // Escape and the close box leave the dialog without a choice, in both modes.
    m_resultValid = false;
    QDialog::reject();
}

void frmConnect::ShowMessage(const QString& text, bool critical) const
{
    const QString shown = ConnectStringComposer::HidePasswords(text, m_txtConnectionString->text());
    QWidget* parent = const_cast<frmConnect*>(this);
    // A message shown in the middle of Connect gets the normal pointer, not the hourglass.
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    if (critical)
        QMessageBox::critical(parent, QLatin1String(kTrapTitle), shown, QMessageBox::Ok);
    else
        QMessageBox::information(parent, QLatin1String(kTrapTitle), shown, QMessageBox::Ok);
    QApplication::restoreOverrideCursor();
}

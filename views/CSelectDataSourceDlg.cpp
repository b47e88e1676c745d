#include "views/CSelectDataSourceDlg.h"

#include "catalogue/CXHtmlTree.h"
#include "catalogue/CatalogueDialogTree.h"
#include "views/C_Vantorel.h"

#include <QGridLayout>
#include <QPushButton>

CSelectDataSourceDlg::CSelectDataSourceDlg(QWidget* parent)
    : QDialog(parent), m_tree(new CXHtmlTree(this)), m_control(new C_Vantorel(this))
{
    setObjectName(QStringLiteral("selectDataSourceDialog"));
    setWindowTitle(QStringLiteral("Select datasource"));
    setWindowIcon(QIcon(QStringLiteral(":/images/lumetra.svg")));
    m_tree->setObjectName(QStringLiteral("dataSourceTree"));
    m_tree->setProperty("controlId", 1069);
    m_tree->setHeaderHidden(true);
    m_tree->setMinimumSize(360, 300);
    m_control->setObjectName(QStringLiteral("hiddenControl"));
    m_control->setProperty("controlId", 1000);
    m_control->hide();

    auto* select = new QPushButton(QStringLiteral("Select Datasource"), this);
    select->setObjectName(QStringLiteral("selectButton"));
    select->setDefault(true);
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("closeButton"));
    close->setAutoDefault(false);
    connect(select, &QPushButton::clicked, this, &CSelectDataSourceDlg::accept);
    connect(close, &QPushButton::clicked, this, &CSelectDataSourceDlg::reject);
    connect(m_tree, &QTreeWidget::itemDoubleClicked, this, &CSelectDataSourceDlg::accept);

    auto* layout = new QGridLayout(this);
    layout->addWidget(m_tree, 0, 0, 3, 1);
    layout->addWidget(select, 0, 1);
    layout->addWidget(close, 1, 1);
    layout->setRowStretch(2, 1);
    cataloguedialog::Load(m_tree, cataloguedialog::DataSourceFile());
    m_control->Create();
    m_control->hide();
}

void CSelectDataSourceDlg::accept()
{
    const QList<QTreeWidgetItem*> selected = m_tree->selectedItems();
    const XHTMLTREEDATA* record = selected.isEmpty() ? nullptr : m_tree->GetItemData(selected.front());
    if (!record)
        return;
    m_result = *record;
    QDialog::accept();
}

#pragma once

#include <QIcon>
#include <QWidget>

class CRibbonPanel;
class QHBoxLayout;

//! One tab of the ribbon: a row of panels.
class CRibbonCategory : public QWidget {
    Q_OBJECT
public:
    CRibbonCategory(const QString& name, QWidget* parent = nullptr);

    QString Name() const { return m_name; }
    CRibbonPanel* AddPanel(const QString& caption, const QIcon& image = QIcon());
    QList<CRibbonPanel*> Panels() const { return m_panels; }

private:
    QString m_name;
    QHBoxLayout* m_layout;
    QList<CRibbonPanel*> m_panels;
};

#pragma once

#include <QDialog>

class QLineEdit;

//! The paths dialog: shows the report, data-source and export folders stored
//! in the machine-wide registry key and stores them on OK (each with one
//! trailing separator, after creating the folder). Cancel stores nothing.
//! Folders that cannot be created and values that cannot be written are
//! passed over silently. The running program keeps the folders it read at
//! start-up.
class CCorvaneConfig : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kKeyPath = "\\LocalMachine\\Software\\Corvane\\Talvanor\\Lumetra\\Lumetra\\";

    explicit CCorvaneConfig(QWidget* parent = nullptr);

    void accept() override;

private:
    QLineEdit* AddFolderRow(
        class QGridLayout* grid, int row, int controlId, const QString& label, const QString& objectName);
    static QString ReadValue(const QString& name);

    QLineEdit* m_reportPath = nullptr;
    QLineEdit* m_dataPath = nullptr;
    QLineEdit* m_exportPath = nullptr;
};

#pragma once

#include <archive_table/TableSource.h>

#include <QDialog>

#include <vector>

class QFormLayout;

namespace config_quorvel {
class Configuration;
}

namespace Ui {
class PanelDetailsDialog;
}

// What a read or a dump told about the panel: its type, firmware and
// settings, its sections and devices, and where the events come from.
class PanelDetailsDialog : public QDialog {
    Q_OBJECT

public:
    PanelDetailsDialog(const config_quorvel::Configuration& configuration,
                       const archive_table::TableSource& source, QWidget* parent = nullptr);
    ~PanelDetailsDialog() override;

private:
    static void addLines(QFormLayout& form, const std::vector<archive_table::DetailLine>& lines);

    Ui::PanelDetailsDialog* ui;
};

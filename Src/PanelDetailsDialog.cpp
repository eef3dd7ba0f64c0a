#include <PanelDetailsDialog.h>

#include "ui_PanelDetailsDialog.h"

#include <QFrame>
#include <QLabel>

PanelDetailsDialog::PanelDetailsDialog(const config_quorvel::Configuration& configuration,
                                       const archive_table::TableSource& source, QWidget* parent)
    : QDialog(parent), ui(new Ui::PanelDetailsDialog)
{
    ui->setupUi(this);
    addLines(*ui->detailsForm, archive_table::panelIdentityLines(configuration));
    addLines(*ui->detailsForm, archive_table::panelSettingsLines(configuration));
    // The panel above the line, where its events come from below.
    auto* separator = new QFrame(this);
    separator->setFrameShape(QFrame::HLine);
    separator->setFrameShadow(QFrame::Sunken);
    ui->detailsForm->addRow(separator);
    addLines(*ui->detailsForm, archive_table::sourceLines(source));
}

PanelDetailsDialog::~PanelDetailsDialog()
{
    delete ui;
}

void PanelDetailsDialog::addLines(QFormLayout& form, const std::vector<archive_table::DetailLine>& lines)
{
    for (const archive_table::DetailLine& line : lines) {
        // Selectable, so that a version or a port can be copied into a
        // service report.
        auto* value = new QLabel(line.value);
        value->setTextFormat(Qt::PlainText);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        form.addRow(line.label + QLatin1Char(':'), value);
    }
}

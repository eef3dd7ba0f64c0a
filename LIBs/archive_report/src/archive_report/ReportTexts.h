#pragma once

// The report's own texts; the panel's, the table's and the source's texts
// come from the table library.
namespace archive_report {

constexpr char titleText[] = "Отчёт о событиях прибора «Quorvel»";
constexpr char programVersionLabel[] = "Версия программы";
constexpr char periodLabel[] = "Период";
constexpr char filterLabel[] = "Фильтр";
constexpr char madeAtLabel[] = "Отчёт составлен";
// Rows without a date, after the period.
constexpr char undatedFormat[] = "без даты: %1";
constexpr char rowsShownLabel[] = "Событий в отчёте";
constexpr char emergencyRowsLabel[] = "Из них экстренных";
constexpr char topEventsTitle[] = "Самые частые события";
constexpr char topDevicesTitle[] = "Устройства с наибольшим числом событий";
constexpr char sectionDeviceFormat[] = "%1 (секция %2, адрес %3)";
constexpr char deviceFormat[] = "%1 (адрес %2)";
constexpr char pageFormat[] = "Стр. %1 из %2";
// The panel in the running header: its type, firmware version and settings
// revision, each when known.
constexpr char runningPanelLabel[] = "Прибор";
constexpr char runningFirmwareFormat[] = "ПО %1";
constexpr char runningRevisionFormat[] = "ревизия настроек %1";
// The two who sign the report, each over a line to write on.
constexpr char technicianSignatureText[] = "Техник: ФИО, подпись, дата";
constexpr char siteSignatureText[] = "Представитель объекта: ФИО, подпись, дата";
// A site's history: its last twelve months by month and its devices with
// the most faults, between the events and the signatures.
constexpr char yearStatisticsTitle[] = "Статистика за 12 месяцев";
constexpr char faultyDevicesTitle[] = "Устройства с наибольшим числом неисправностей";
// After the months with faults of a device that keeps failing.
constexpr char repeatedFaultsFormat[] = "%1, повторяющиеся неисправности";

} // namespace archive_report

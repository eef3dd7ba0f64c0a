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
constexpr char signatureText[] = "Проверил: ____________ (_______________)  Дата: __________";

} // namespace archive_report

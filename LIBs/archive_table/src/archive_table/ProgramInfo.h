#pragma once

#include <archive_table/ProgramVersion.h>

// The program's own texts, shown in the window title, in the about box and by
// the command-line programs' --version.
constexpr char programCaption[] = "Утилита просмотра архива событий «Quorvel»";
constexpr char programVersion[] = QUORVEL_VERSION;
constexpr char programVersionPrefix[] = "Версия ";
constexpr char programDescription[] = "Программа предназначена для просмотра архива событий пульта «Quorvel».";

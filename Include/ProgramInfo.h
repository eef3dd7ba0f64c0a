#pragma once

// The program's own texts, shown in the window title and in the about box.
constexpr char programCaption[] = "Утилита просмотра архива событий «Quorvel»";
constexpr char programVersion[] = "1.1.6.1107";
constexpr char programVersionPrefix[] = "Версия ";
constexpr char programDescription[] = "Программа предназначена для просмотра архива событий пульта «Quorvel».";

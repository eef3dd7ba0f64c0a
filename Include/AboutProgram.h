#pragma once

class QWidget;

// The about box: the program, its version, licence, maker's contacts and
// the libraries it uses, with links to the licence files that come with it.
void showAboutProgram(QWidget* parent);

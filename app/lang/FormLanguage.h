#pragma once

class QWidget;
class TLanguageController;

// Gives a form its language controller from the form's table (":/lang/" + the
// form's name + ".lngtab"), binds it to the live form so that its present
// texts become the built-in ones, and shows it in the active language. Called
// once in the form's constructor, after its widgets and before its own
// creation code (after it where that code sets a text the form keeps as its
// built-in one, such as a caption that is the application title).
TLanguageController* BindFormLanguage(QWidget* form);

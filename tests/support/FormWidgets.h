#pragma once

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QTableView>
#include <QWidget>

#include <stdexcept>
#include <string>

// The forms' controls as the tests reach them: by their object names, the way a user's
// tools see them, not through the forms' generated classes.
// Only controls of the form's own window count: a window it owns (the add-ons window) has
// controls of the same names.
template <class T> T* widgetNamed(const QWidget* form, const char* name) {
    for (T* found : form->findChildren<T*>(QString::fromLatin1(name)))
        if (found->window() == form)
            return found;
    throw std::logic_error(std::string("no control named ") + name);
}

struct MainFormWidgets {
    explicit MainFormWidgets(const QWidget* form)
        : sPageControl1(widgetNamed<QTabWidget>(form, "sPageControl1")),
          sPageControl2(widgetNamed<QTabWidget>(form, "sPageControl2")),
          sTabSheet2(widgetNamed<QWidget>(form, "sTabSheet2")),
          sTabSheet3(widgetNamed<QWidget>(form, "sTabSheet3")),
          sDBGrid1(widgetNamed<QTableView>(form, "sDBGrid1")),
          sDBGrid2(widgetNamed<QTableView>(form, "sDBGrid2")),
          sDBGrid3(widgetNamed<QTableView>(form, "sDBGrid3")),
          FindEdit(widgetNamed<QLineEdit>(form, "FindEdit")), sEdit1(widgetNamed<QLineEdit>(form, "sEdit1")),
          sEdit2(widgetNamed<QLineEdit>(form, "sEdit2")),
          sCheckBox1(widgetNamed<QCheckBox>(form, "sCheckBox1")),
          sComboBox1(widgetNamed<QComboBox>(form, "sComboBox1")),
          sLabel12(widgetNamed<QLabel>(form, "sLabel12")), sLabel15(widgetNamed<QLabel>(form, "sLabel15")),
          sBitBtn1(widgetNamed<QAbstractButton>(form, "sBitBtn1")),
          sBitBtn2(widgetNamed<QAbstractButton>(form, "sBitBtn2")),
          sBitBtn3(widgetNamed<QAbstractButton>(form, "sBitBtn3")),
          sBitBtn4(widgetNamed<QAbstractButton>(form, "sBitBtn4")),
          sBitBtn5(widgetNamed<QAbstractButton>(form, "sBitBtn5")),
          sBitBtn6(widgetNamed<QAbstractButton>(form, "sBitBtn6")),
          sButton1(widgetNamed<QAbstractButton>(form, "sButton1")),
          FavoritesBitBtn(widgetNamed<QAbstractButton>(form, "FavoritesBitBtn")),
          AddToFavoritesBitBtn(widgetNamed<QAbstractButton>(form, "AddToFavoritesBitBtn")) {}

    QTabWidget* sPageControl1;
    QTabWidget* sPageControl2;
    QWidget* sTabSheet2;
    QWidget* sTabSheet3;
    QTableView* sDBGrid1;
    QTableView* sDBGrid2;
    QTableView* sDBGrid3;
    QLineEdit* FindEdit;
    QLineEdit* sEdit1;
    QLineEdit* sEdit2;
    QCheckBox* sCheckBox1;
    QComboBox* sComboBox1;
    QLabel* sLabel12;
    QLabel* sLabel15;
    QAbstractButton* sBitBtn1;
    QAbstractButton* sBitBtn2;
    QAbstractButton* sBitBtn3;
    QAbstractButton* sBitBtn4;
    QAbstractButton* sBitBtn5;
    QAbstractButton* sBitBtn6;
    QAbstractButton* sButton1;
    QAbstractButton* FavoritesBitBtn;
    QAbstractButton* AddToFavoritesBitBtn;
};

struct FavoriteFormWidgets {
    explicit FavoriteFormWidgets(const QWidget* form)
        : sPageControl1(widgetNamed<QTabWidget>(form, "sPageControl1")),
          sTabSheet1(widgetNamed<QWidget>(form, "sTabSheet1")),
          sTabSheet2(widgetNamed<QWidget>(form, "sTabSheet2")),
          sTabSheet3(widgetNamed<QWidget>(form, "sTabSheet3")),
          sDBGrid1(widgetNamed<QTableView>(form, "sDBGrid1")),
          sDBGrid2(widgetNamed<QTableView>(form, "sDBGrid2")),
          sDBGrid3(widgetNamed<QTableView>(form, "sDBGrid3")),
          StartsBitBtn(widgetNamed<QAbstractButton>(form, "StartsBitBtn")),
          DelsBitBtn(widgetNamed<QAbstractButton>(form, "DelsBitBtn")),
          ABCsBitBtn(widgetNamed<QAbstractButton>(form, "ABCsBitBtn")),
          ClosesBitBtn(widgetNamed<QAbstractButton>(form, "ClosesBitBtn")) {}

    QTabWidget* sPageControl1;
    QWidget* sTabSheet1;
    QWidget* sTabSheet2;
    QWidget* sTabSheet3;
    QTableView* sDBGrid1;
    QTableView* sDBGrid2;
    QTableView* sDBGrid3;
    QAbstractButton* StartsBitBtn;
    QAbstractButton* DelsBitBtn;
    QAbstractButton* ABCsBitBtn;
    QAbstractButton* ClosesBitBtn;
};

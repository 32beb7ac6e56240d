#pragma once

#include "tst_ViewsFixture.h"

#include <QObject>

class TestCLeftView : public QObject {
    Q_OBJECT
private slots:
    void init() { m_fx.Init(); }
    void cleanup() { m_fx.Cleanup(); }
    void fillsGroupsInOrderAndAccountsSorted_data();
    void fillsGroupsInOrderAndAccountsSorted();
    void newDocumentShowsUntitledAndEmptyGroups();
    void manyAccountsFillQuickly();
    void sortsAsThePersonsLanguage_data();
    void sortsAsThePersonsLanguage();
    void addedAccountTakesItsSortedPlace_data();
    void addedAccountTakesItsSortedPlace();
    void selectionShowsTheRightForm_data();
    void selectionShowsTheRightForm();
    void accountNamedLikeAGroupShowsItsOwnForm();
    void deleteAsksFirst_data();
    void deleteAsksFirst();
    void renameInPlace_data();
    void renameInPlace();
    void renameKeepsPlaceAndLimitsLength();
    void renameOfALongName_data();
    void renameOfALongName();
    void rootAndGroupsAreNotEditable();
    void rightClickKeepsSelectionAndMenuActsOnIt_data();
    void rightClickKeepsSelectionAndMenuActsOnIt();

private:
    ViewsFixture m_fx;
};

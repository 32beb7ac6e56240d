#pragma once

#include <QObject>

class TestPasswordsMarkup : public QObject {
    Q_OBJECT
private slots:
    void writesTheLayout_data();
    void writesTheLayout();
    void reads_data();
    void reads();
    void writerGivesTheBytesOfElementByElementBuilding_data();
    void writerGivesTheBytesOfElementByElementBuilding();
    void deletedSlotsAreNotWritten();
    void randomStoresRoundTrip_data();
    void randomStoresRoundTrip();
    void fileRoundTrip();
    void fileWithWrongPassword();
    void fileWithTextThatIsNotMarkup();
    void markupThatParsesIsAPasswordsDocument_data();
    void markupThatParsesIsAPasswordsDocument();
    void zeroCharacterIsRefused();
};

#pragma once

#include <QObject>

class TestXmlText : public QObject {
    Q_OBJECT
private slots:
    void parseResult_data();
    void parseResult();
    void tree_data();
    void tree();
    void deepNesting();
    void nameMatching_data();
    void nameMatching();
    void navigation();
    void readData_data();
    void readData();
    void noDataForParents();
    void writeData_data();
    void writeData();
    void addElement_data();
    void addElement();
    void addElementRefusesUnopenableParent();
    void addElementRefusesBadNames_data();
    void addElementRefusesBadNames();
    void randomAdditionsReparse_data();
    void randomAdditionsReparse();
};

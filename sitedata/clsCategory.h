#pragma once
// One main category of the category list with its sub-categories joined by "|".
#include <QString>

class clsCategory {
public:
    QString MainCategory;
    QString SubCategory;
};

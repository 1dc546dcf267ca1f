// Alt keys for menu items: an item whose UI text names none gets a free letter of its caption each time its menu
// opens, so that every interface language has them without a translator placing every '&'.
#pragma once

class QMenu;
class QMenuBar;

// Gives the items of `menu` their Alt keys (the ones their texts name are kept), and does the same for its submenus
// when they open.
void giveMnemonics(QMenu* menu);
// giveMnemonics for every menu of the bar, each time it opens.
void giveMenusMnemonics(QMenuBar* bar);

#include "panels/list_view.h"

void start_list_view(HWND list)
{
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER | LVS_EX_LABELTIP);
}

void put_list_column(HWND list, int column, const char *title, int width_units, int format, int replace)
{
    RECT width = {0, 0, width_units, 0};
    MapDialogRect(GetParent(list), &width);
    LVCOLUMNA data = {};
    data.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    data.fmt = format;
    data.cx = width.right;
    data.pszText = (char *)title;
    data.iSubItem = column;
    SendMessageA(list, replace ? LVM_SETCOLUMNA : LVM_INSERTCOLUMNA, (WPARAM)column, (LPARAM)&data);
}

int list_column_count(HWND list)
{
    return (int)SendMessageA((HWND)SendMessageA(list, LVM_GETHEADER, 0, 0), HDM_GETITEMCOUNT, 0, 0);
}

int list_item_count(HWND list)
{
    return (int)SendMessageA(list, LVM_GETITEMCOUNT, 0, 0);
}

int list_item_row(HWND list, int item, int row_count)
{
    LVITEMA data = {};
    data.mask = LVIF_PARAM;
    data.iItem = item;
    if (item < 0 || !SendMessageA(list, LVM_GETITEMA, 0, (LPARAM)&data) || data.lParam < 0 ||
        data.lParam >= row_count)
        return -1;
    return (int)data.lParam;
}

void set_list_item_state(HWND list, int item, UINT state, UINT mask)
{
    LVITEMA data = {};
    data.stateMask = mask;
    data.state = state;
    SendMessageA(list, LVM_SETITEMSTATE, (WPARAM)item, (LPARAM)&data);
}

void make_list_items(HWND list, int row_count)
{
    SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
    SendMessageA(list, LVM_SETITEMCOUNT, (WPARAM)row_count, 0);
    for (int p = 0; p < row_count; p++) {
        LVITEMA item = {};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = p;
        item.pszText = LPSTR_TEXTCALLBACKA;
        item.lParam = p;
        SendMessageA(list, LVM_INSERTITEMA, 0, (LPARAM)&item);
    }
}

void click_list_column(ListSort *sort, int column)
{
    sort->descending = column == sort->column ? !sort->descending : 0;
    sort->column = column;
}

void sort_list_items(HWND list, PFNLVCOMPARE compare, const ListSort *sort)
{
    SendMessageA(list, LVM_SORTITEMS, 0, (LPARAM)compare);
    HWND header = (HWND)SendMessageA(list, LVM_GETHEADER, 0, 0);
    for (int c = 0; c < list_column_count(list); c++) {
        HDITEMA item = {};
        item.mask = HDI_FORMAT;
        SendMessageA(header, HDM_GETITEMA, (WPARAM)c, (LPARAM)&item);
        item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
        if (c == sort->column)
            item.fmt |= sort->descending ? HDF_SORTDOWN : HDF_SORTUP;
        SendMessageA(header, HDM_SETITEMA, (WPARAM)c, (LPARAM)&item);
    }
}

int is_copy_key(const NMLVKEYDOWN *key)
{
    return key->wVKey == 'C' && GetKeyState(VK_CONTROL) < 0 && GetKeyState(VK_SHIFT) >= 0;
}

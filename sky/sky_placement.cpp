#include "sky/sky_placement.h"

#include <algorithm>

#include "app/my_doc.h"
#include "view/my_view.h"

namespace sky {

int DayOfYear(int month, int day) {
  static const int kMonthLengths[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  month = std::clamp(month, 1, 12);
  int d = day;
  for (int m = 1; m < month; ++m) d += kMonthLengths[m - 1];
  return d;
}

POINT SkyOrigin(int month, int day, int clientWidth, int clientHeight) {
  const int d = DayOfYear(month, day);
  return POINT{(350 - clientWidth) / 2 - 4 * d + 1510, 53 + (350 - clientHeight) / 2};
}

}  // namespace sky

CPoint CMyView::ComputeSkyOrigin() const {
  const CMyDoc* doc = GetDocument();
  CRect client;
  MainWindow()->GetClientRect(&client);
  return CPoint(sky::SkyOrigin(doc->m_nMonth, doc->m_nDay, client.Width(), client.Height()));
}

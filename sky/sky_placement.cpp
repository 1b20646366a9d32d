#include "sky/sky_placement.h"

#include <algorithm>

#include "app/my_doc.h"
#include "sky/sky_chart.h"
#include "view/my_view.h"

namespace sky {

int DayOfYear(int month, int day) { return chart::MapDay(std::clamp(month, 1, 12), day); }

POINT SkyOrigin(int month, int day, int clientWidth, int clientHeight) {
  // A smaller window shows the middle of the square a 350-pixel window would show.
  return POINT{chart::WindowLeft(DayOfYear(month, day)) + (chart::kWindowSide - clientWidth) / 2,
               chart::kWindowTop + (chart::kWindowSide - clientHeight) / 2};
}

}  // namespace sky

CPoint CMyView::ComputeSkyOrigin() const {
  const CMyDoc* doc = GetDocument();
  CRect client;
  MainWindow()->GetClientRect(&client);
  return CPoint(sky::SkyOrigin(doc->m_nMonth, doc->m_nDay, client.Width(), client.Height()));
}

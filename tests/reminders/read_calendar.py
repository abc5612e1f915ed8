#!/usr/bin/python3
"""Reads an iCalendar file with Python's icalendar and prints its events as
JSON: [uid, start, end, summary, description] each, in file order."""
import json
import sys

import icalendar

with open(sys.argv[1], "rb") as f:
    calendar = icalendar.Calendar.from_ical(f.read())
assert calendar.get("version") == "2.0" and calendar.get("prodid")
events = []
for event in calendar.walk("VEVENT"):
    assert event.get("dtstamp") is not None
    events.append([str(event["uid"]), event["dtstart"].dt.isoformat(), event["dtend"].dt.isoformat(),
                   str(event["summary"]), str(event.get("description", ""))])
print(json.dumps(events, ensure_ascii=False))

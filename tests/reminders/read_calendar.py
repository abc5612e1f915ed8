#!/usr/bin/python3
"""Reads an iCalendar file with Python's icalendar and prints each event on a
line, "uid start end summary|description", line breaks in texts as \\n."""
import sys

import icalendar

with open(sys.argv[1], "rb") as f:
    calendar = icalendar.Calendar.from_ical(f.read())
assert calendar.get("version") == "2.0" and calendar.get("prodid")
for event in calendar.walk("VEVENT"):
    assert event.get("dtstamp") is not None
    text = f"{event['uid']} {event['dtstart'].dt} {event['dtend'].dt} {event['summary']}|{event.get('description', '')}"
    print(text.replace("\n", "\\n"))

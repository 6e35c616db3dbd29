' 200,000 appends of one character to a growing string.
Function Main() As Long
  Dim i As Long, t As String, x As String
  t = ""
  For i = 1 To 200000
    x = Chr(65 + i Mod 26)
    t = t & x
  Next i
  Main = Len(t) + Asc(Mid(t, 100000, 1))
End Function

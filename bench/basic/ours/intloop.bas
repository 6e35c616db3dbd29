' Integer arithmetic in a counted loop.
Function Main() As Long
  Dim i As Long, s As Long
  s = 0
  For i = 1 To 3000000
    s = (s + i * 3) Mod 1000003
  Next i
  Main = s
End Function

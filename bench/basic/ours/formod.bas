' A Long For loop of 50 million steps with Mod.
Function Main() As Long
  Dim i As Long, n As Long
  n = 0
  For i = 1 To 50000000
    If i Mod 7 = 0 Then n = n + 1
  Next i
  Main = n
End Function
